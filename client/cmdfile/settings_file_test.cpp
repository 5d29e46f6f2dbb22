#include "client/cmdfile/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "client/cmdfile/testing/storage_watching.h"
#include "core/archive/archive.h"
#include "core/status.h"
#include "core/testing/memory_file.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A new file each time: truncating one in place makes some file systems flush it to the disk,
// which would make these loops slow.
void WriteFile(const std::string& path, const Bytes& bytes) {
  std::filesystem::remove(path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::unique_ptr<cClientStorage> StorageWith(const char* directory, uint16_t append) {
  auto storage = test::StorageWatching(directory);
  storage->Monitor()->start_time = 1700000000;
  storage->Monitor()->append = append;
  storage->Monitor()->action_when_done = 1;
  storage->Monitor()->processed_directory = "/srv/done";
  return storage;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return home_.path() + "/Varnholt/VHClientSettings.txt"; }
  TempConfigHome home_;
};

TEST_F(SettingsFileTest, NoFileThenSaveThenLoad) {
  std::unique_ptr<cClientStorage> storage;
  swString used;
  EXPECT_EQ(LoadClientStorage(nullptr, &storage, &used).code(), hv::kCannotOpenFile);
  EXPECT_EQ(storage, nullptr);
  EXPECT_EQ(std::string(used.CStr()), Path());

  auto saved = StorageWith("/home/someone/inbox", 1);
  ASSERT_EQ(SaveClientStorage("", *saved, &used).code(), 0);
  EXPECT_TRUE(std::filesystem::exists(Path()));
  Bytes bytes = ReadFile(Path());
  ASSERT_GT(bytes.size(), 14u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 14), std::string("Varnholt (TM)\x1A"));
  EXPECT_EQ(bytes[14], 1);  // scrambled with the settings key
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_.path() + "/Varnholt"),
                          std::filesystem::directory_iterator()),
            1);

  ASSERT_EQ(LoadClientStorage(nullptr, &storage, nullptr).code(), 0);
  ASSERT_NE(storage, nullptr);
  const cMonitorCommandFile* monitor = storage->Monitor();
  ASSERT_NE(monitor, nullptr);
  EXPECT_STREQ(monitor->monitored_directory.CStr(), "/home/someone/inbox");
  EXPECT_STREQ(monitor->file_name.CStr(), "VHCmd.txt");
  EXPECT_EQ(monitor->start_time, 1700000000u);
  EXPECT_EQ(monitor->append, 1);
  EXPECT_EQ(monitor->action_when_done, 1u);
  EXPECT_STREQ(monitor->processed_directory.CStr(), "/srv/done");
  EXPECT_STREQ(monitor->response_file_name.CStr(),
               cMonitorCommandFile::DefaultResponseFileName().CStr());
}

TEST_F(SettingsFileTest, AnyPrefaceEndingIn1AReadsTheSame) {
  auto saved = StorageWith("/x", 0);
  ASSERT_EQ(SaveClientStorage(nullptr, *saved, nullptr).code(), 0);
  Bytes bytes = ReadFile(Path());
  Bytes archive(bytes.begin() + 14, bytes.end());
  for (const std::string& preface :
       {std::string("\x1A"), std::string("Other text\r\n\x1A"), std::string(5000, 'p') + "\x1A"}) {
    Bytes file(preface.begin(), preface.end());
    file.insert(file.end(), archive.begin(), archive.end());
    WriteFile(Path(), file);
    std::unique_ptr<cClientStorage> storage;
    ASSERT_EQ(LoadClientStorage(nullptr, &storage, nullptr).code(), 0) << preface.size();
    EXPECT_STREQ(storage->Monitor()->monitored_directory.CStr(), "/x");
  }
  // Without any 0x1A nothing is read; the caller then makes a fresh storage.
  WriteFile(Path(), Bytes(100, 'a'));
  auto storage = std::make_unique<cClientStorage>();
  EXPECT_EQ(LoadClientStorage(nullptr, &storage, nullptr).code(), hv::kSettingsOpenFailed);
}

TEST_F(SettingsFileTest, FileFromBeforeTheAppendFieldLoadsWithAppendZero) {
  // A real save gives the file's identities, name and key as the header holds them.
  auto old = StorageWith("/old", 1);
  ASSERT_EQ(SaveClientStorage(nullptr, *old, nullptr).code(), 0);
  Bytes real = ReadFile(Path());
  const char key[] = "Hv7Qm2Xr9Lk4,Tz8Wp3Nd6";
  const auto* key_bytes = reinterpret_cast<const uint8_t*>(key);
  swGuid type, creator;
  swString name;
  swMemoryFile header_source(Bytes(real.begin() + 14, real.end()));
  swArchive reader;
  EXPECT_TRUE(RegisterSettingsClasses(reader).ok());
  ASSERT_TRUE(
      reader.Open(&header_source, false, true, &type, &creator, &name, 1, key_bytes, 22).ok());
  EXPECT_STREQ(name.CStr(), "Varnholt (TM)");
  EXPECT_NE(type, creator);

  // The same file as the first version wrote it: the monitor's stored form was 1, without
  // the append field.
  swMemoryFile memory;
  memory.Write("Varnholt (TM)\x1A", 14);
  swArchive writer;
  EXPECT_TRUE(writer.RegisterCoreClasses(2).ok());
  EXPECT_TRUE(writer.RegisterClass(kClassClientStorage, cClientStorage::Create, 1).ok());
  EXPECT_TRUE(writer.RegisterClass(kClassMonitorCommandFile, cMonitorCommandFile::Create, 1).ok());
  ASSERT_TRUE(writer.Open(&memory, true, true, &type, &creator, &name, 1, key_bytes, 22).ok());
  writer.WriteObjectRef(old.get(), 1);
  ASSERT_TRUE(writer.Close().ok());
  WriteFile(Path(), memory.bytes());

  std::unique_ptr<cClientStorage> loaded;
  ASSERT_EQ(LoadClientStorage(nullptr, &loaded, nullptr).code(), 0);
  EXPECT_EQ(loaded->Monitor()->append, 0);
  EXPECT_STREQ(loaded->Monitor()->monitored_directory.CStr(), "/old");
  EXPECT_EQ(loaded->Monitor()->start_time, 1700000000u);
}

TEST_F(SettingsFileTest, TruncatedOrFlippedFilesGiveAStatus) {
  auto saved = StorageWith("/flip", 1);
  ASSERT_EQ(SaveClientStorage(nullptr, *saved, nullptr).code(), 0);
  Bytes good = ReadFile(Path());
  for (size_t length = 0; length < good.size(); ++length) {
    WriteFile(Path(), Bytes(good.begin(), good.begin() + static_cast<long>(length)));
    std::unique_ptr<cClientStorage> storage;
    int32_t rc = LoadClientStorage(nullptr, &storage, nullptr).code();
    EXPECT_TRUE(rc == hv::kSettingsOpenFailed || rc == hv::kSettingsReadFailed)
        << "length " << length << " rc " << rc;
    EXPECT_EQ(storage, nullptr);
  }
  for (size_t at = 14; at < good.size(); ++at) {
    for (uint8_t mask : {0x01, 0x40, 0xFF}) {
      Bytes flipped = good;
      flipped[at] ^= mask;
      WriteFile(Path(), flipped);
      std::unique_ptr<cClientStorage> storage;
      int32_t rc = LoadClientStorage(nullptr, &storage, nullptr).code();
      // A flip inside a text or a number may read as a different value; anything else fails.
      EXPECT_TRUE(rc == 0 || rc == hv::kSettingsOpenFailed || rc == hv::kSettingsReadFailed)
          << "byte " << at << " rc " << rc;
      EXPECT_EQ(rc == 0, storage != nullptr);
    }
  }
}

TEST_F(SettingsFileTest, InterruptedSaveLeavesTheOldOrTheNewFileWhole) {
  auto old_storage = StorageWith("/old", 0);
  ASSERT_EQ(SaveClientStorage(nullptr, *old_storage, nullptr).code(), 0);
  Bytes old_bytes = ReadFile(Path());
  auto new_storage = StorageWith("/new/and/longer", 1);

  // The new file's size, from a save to elsewhere.
  std::string elsewhere = home_.path() + "/elsewhere.txt";
  ASSERT_EQ(SaveClientStorage(elsewhere.c_str(), *new_storage, nullptr).code(), 0);
  Bytes new_bytes = ReadFile(elsewhere);

  for (int64_t cut = 0; cut <= static_cast<int64_t>(new_bytes.size()); ++cut) {
    cSettingsSaveFaults crash;
    crash.crash_after_bytes = cut;
    int32_t rc = SaveClientStorage(nullptr, *new_storage, nullptr, &crash).code();
    if (cut < static_cast<int64_t>(new_bytes.size())) {
      EXPECT_NE(rc, 0);
    }
    EXPECT_EQ(ReadFile(Path()), rc == 0 ? new_bytes : old_bytes) << "crash at " << cut;
    WriteFile(Path(), old_bytes);

    cSettingsSaveFaults full;
    full.fail_after_bytes = cut;
    const Status failed = SaveClientStorage(nullptr, *new_storage, nullptr, &full);
    rc = failed.code();
    if (cut < static_cast<int64_t>(new_bytes.size())) {
      EXPECT_TRUE(rc == hv::kSettingsPrefaceFailed || rc == hv::kSettingsOpenFailed ||
                  rc == hv::kSettingsReadFailed)
          << "full at " << cut << " rc " << rc;
      // The user is told why, not only that.
      EXPECT_NE(failed.message().find(": the file took less than was written"), std::string::npos)
          << "full at " << cut << ": " << failed.message();
    }
    EXPECT_EQ(ReadFile(Path()), rc == 0 ? new_bytes : old_bytes) << "full at " << cut;
    WriteFile(Path(), old_bytes);
  }
  using Step = cSettingsSaveFaults::Step;
  for (Step step : {Step::kBeforeSync, Step::kBeforeRename}) {
    cSettingsSaveFaults crash;
    crash.crash_before = step;
    EXPECT_EQ(SaveClientStorage(nullptr, *new_storage, nullptr, &crash).code(),
              hv::kCannotOpenFile);
    EXPECT_EQ(ReadFile(Path()), old_bytes);
  }
  cSettingsSaveFaults after_rename;
  after_rename.crash_before = Step::kBeforeFolderSync;
  EXPECT_EQ(SaveClientStorage(nullptr, *new_storage, nullptr, &after_rename).code(),
            hv::kCannotOpenFile);
  EXPECT_EQ(ReadFile(Path()), new_bytes);
  // Whatever happened, the file still loads.
  std::unique_ptr<cClientStorage> loaded;
  EXPECT_EQ(LoadClientStorage(nullptr, &loaded, nullptr).code(), 0);
}

TEST_F(SettingsFileTest, SaveToAnUnwritableFolderFailsAndKeepsNothing) {
  auto storage = StorageWith("/x", 0);
  std::string missing = home_.path() + "/no/such/folder/settings.txt";
  const Status failed = SaveClientStorage(missing.c_str(), *storage, nullptr);
  EXPECT_EQ(failed.code(), hv::kCannotOpenFile);
  EXPECT_EQ(failed.message(), "cannot write beside " + missing + ": No such file or directory");
}

}  // namespace

}  // namespace hv
