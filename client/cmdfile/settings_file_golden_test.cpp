// The settings file users already have must keep loading. These bytes were written by the
// client and are pinned: a change to the preface, the product's identities or key, the
// scrambling or the stored form of the monitor fails here before it reaches anyone's file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/settings_file.h"
#include "client/cmdfile/testing/monitor_text.h"
#include "client/cmdfile/testing/pinned_monitor.h"
#include "client/cmdfile/testing/storage_watching.h"
#include "core/status.h"
#include "core/testing/archive_test_support.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

using Bytes = std::vector<uint8_t>;

// PinnedStorage() as the client saves it.
const char kSettingsFile[] =
    "56 61 72 6e 68 6f 6c 74 20 28 54 4d 29 1a 01 00\n"
    "49 78 38 56 a2 3a 64 7e 41 cf 82 49 38 66 8d 4d\n"
    "c3 f1 21 38 8a 4b 72 71 7c 5a 4a 55 79 94 c1 78\n"
    "75 df 55 76 fd ed a8 9e 63 c5 99 6a 98 ac e2 9b\n"
    "ac 64 b0 a5 70 8b ae 0d 30 b8 b5 74 15 2b 9e 71\n"
    "a5 b7 84 3f 8a 7a dc dc 44 ec b1 05 bb ca eb ad\n"
    "ca ca a9 4e b8 b3 cc cd b1 d7 d9 ba d8 db b1 de\n"
    "d9 ce c8 d9 d1 88 85 74 79 7a 7e 6e 84 cc b4 9a\n"
    "aa c9 fc e6 f0 f8 f4 f6 f3 f6 58 eb fb fa fd fe\n"
    "33 bc 69 3a 51 7c 9c 5f 77 44 64 85 49 5c 7c 4d\n"
    "4d 66 90 4d 6a 8a 4d 76 94 e5 75 9a 59 7a 15 4b\n"
    "99 94 5c 91 92 5a 50 9d a3 5f a9 a6 6b 8d 9d 6d\n"
    "87 50 8a 51 4c 4d 55 50 8f 8b 4c 8c 9a 4f 44 09\n"
    "95 b2 c2 91 a8 ba 94 46 b4 a1 b9 c5 a9 cb cd 9a\n"
    "ca c5 c9 aa d2 d2 b4 cd d2 62 90 97 8d 78 af 8a\n"
    "75 68 f1 d4 e1 ce d4 da d4 f5 93 89 e6 ea ed de\n"
    "e7 e8 ec ea ea ea f5 ee 03 f3 f5 f8 fb 72 eb fd\n"
    "48 77 38 55 71 38 65 7d 3f 56 75 4a 2e 69 8d 1f\n"
    "4f 2f 70 4d 6f 6b 46 30 28 56 2a 70 55 a7 5b 7e\n"
    "89 55 51 99 a2 64 9b 9d 62 98 c7 69 98 aa 6d 26\n"
    "9e 63 ac a5 70 b1 b5 6a 75 b5 9b 76 bb ba 62 bd\n"
    "a5 99 64 5b 5e 75 86 5d 7e 5e 9e 64 73 8b 51 8a\n"
    "78 6d 76 56 6c 86 5b 69 ce 64 61 8a e4 da bc e9\n"
    "d8 ce 00 da d0 ";

std::unique_ptr<cClientStorage> PinnedStorage() {
  auto storage = test::StorageWatching("/home/ann/inbox");
  test::SetPinnedMonitor(storage->Monitor());
  return storage;
}

class SettingsFileGoldenTest : public ::testing::Test {
 protected:
  std::string Path() const { return home_.path() + "/settings.txt"; }
  TempConfigHome home_;
};

TEST_F(SettingsFileGoldenTest, FileIsWrittenByteForByte) {
  auto storage = PinnedStorage();
  ASSERT_EQ(SaveClientStorage(Path().c_str(), *storage, nullptr).code(), hv::kOk);
  std::ifstream in(Path(), std::ios::binary);
  const Bytes written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(HexDump(written), kSettingsFile);
  // The preface stays readable text; the archive after it starts with its key flag.
  const std::string start(written.begin(), written.begin() + 16);
  EXPECT_EQ(start, std::string("Varnholt (TM)\x1A\x01\x00", 16));
}

TEST_F(SettingsFileGoldenTest, PinnedFileLoads) {
  const Bytes pinned = FromHexDump(kSettingsFile);
  {
    std::ofstream out(Path(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(pinned.data()),
              static_cast<std::streamsize>(pinned.size()));
  }
  std::unique_ptr<cClientStorage> storage;
  ASSERT_EQ(LoadClientStorage(Path().c_str(), &storage, nullptr).code(), hv::kOk);
  ASSERT_NE(storage, nullptr);
  const cMonitorCommandFile* monitor = storage->Monitor();
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(hv::test::MonitorText(*monitor), hv::test::MonitorText(*PinnedStorage()->Monitor()));
}

}  // namespace

}  // namespace hv
