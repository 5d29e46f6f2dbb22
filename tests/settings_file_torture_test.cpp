// Every allocation the settings load and save make is failed in turn: malloc, calloc and
// realloc (the string class, the lists, the archive) and operator new, throwing or not. Each
// save and load must then report a failure or succeed, never crash, and the file on disk must
// still load with the old or the new settings, with no temporary file left behind and no
// block leaked. Under AddressSanitizer only operator new can be failed; the sanitizer finds
// the leaks there.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/settings_file.h"
#include "client/cmdfile/testing/storage_watching.h"
#include "core/testing/temp_config_home.h"
#include "tests/failing_allocator.h"

namespace hv {

namespace {

std::string FolderOf(const cClientStorage* storage) {
  if (storage == nullptr || storage->Monitor() == nullptr) return "<empty>";
  return storage->Monitor()->monitored_directory.CStr();
}

std::string LoadedFolder() {
  std::unique_ptr<cClientStorage> storage;
  if (LoadClientStorage(nullptr, &storage, nullptr).code() != 0) return "<does not load>";
  return FolderOf(storage.get());
}

std::vector<std::string> SettingsFolderEntries(const std::string& config_home) {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(config_home + "/" + kSettingsFolderName)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(SettingsFileTorture, EveryFailedAllocationIsSurvived) {
  TempConfigHome home;
  ASSERT_EQ(SaveClientStorage(nullptr, *test::StorageWatching("/old"), nullptr).code(), 0);
  auto fresh = test::StorageWatching("/new");
  // One untouched round first, so that whatever the C library sets up once is in place
  // before blocks are counted.
  {
    std::unique_ptr<cClientStorage> loaded;
    ASSERT_EQ(SaveClientStorage(nullptr, *fresh, nullptr).code(), 0);
    ASSERT_EQ(LoadClientStorage(nullptr, &loaded, nullptr).code(), 0);
    ASSERT_EQ(SaveClientStorage(nullptr, *test::StorageWatching("/old"), nullptr).code(), 0);
  }
  long turns = 0;
  for (;; ++turns) {
    const long live_before = hv::test::LiveAllocations();
    hv::test::FailAllocationAfter(turns);
    const int32_t saved = SaveClientStorage(nullptr, *fresh, nullptr).code();
    std::unique_ptr<cClientStorage> loaded;
    const int32_t load = LoadClientStorage(nullptr, &loaded, nullptr).code();
    const std::string loaded_folder = FolderOf(loaded.get());
    loaded.reset();
    hv::test::StopFailingAllocations();
    const long leaked = hv::test::LiveAllocations() - live_before;
    if (hv::test::FailedAllocations() == 0) break;  // every allocation has had its turn to fail

    SCOPED_TRACE("allocation " + std::to_string(turns) + " failed");
    EXPECT_TRUE(saved == 0 || saved < 0) << saved;
    EXPECT_TRUE(load == 0 || load < 0) << load;
    const std::string on_disk = LoadedFolder();
    EXPECT_TRUE(on_disk == "/old" || on_disk == "/new") << on_disk;
    if (saved == 0) {
      EXPECT_EQ(on_disk, "/new");
    }
    if (load == 0) {
      EXPECT_EQ(loaded_folder, on_disk);
    }
    EXPECT_EQ(SettingsFolderEntries(home.path()), std::vector<std::string>{kSettingsFileName});
    EXPECT_EQ(leaked, 0) << "blocks left behind";
    // Back to the old file for the next turn.
    ASSERT_EQ(SaveClientStorage(nullptr, *test::StorageWatching("/old"), nullptr).code(), 0);
  }
  EXPECT_GT(turns, 20) << "the settings load and save made almost no allocation";
  std::printf("%ld allocations failed in turn (%s)\n", turns,
              hv::test::AllocatorInterposed() ? "malloc, calloc, realloc and operator new"
                                              : "operator new only, under the sanitizer");
}

}  // namespace

}  // namespace hv
