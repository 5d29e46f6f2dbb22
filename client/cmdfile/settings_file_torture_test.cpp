// Every allocation the settings load and save make through the fallible (nothrow) allocator
// is failed in turn: each save and load must then report a failure or succeed, never crash,
// and the file on disk must still load with the old or the new settings. Under the
// sanitizer build, every freed path is also checked for leaks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/settings_file.h"
#include "core/testing/temp_config_home.h"

namespace {

// -1: no failures. Otherwise the number of fallible allocations still allowed to succeed.
std::atomic<long> g_allowed{-1};
std::atomic<long> g_failed{0};

}  // namespace

// The fallible allocations take their memory from the ordinary operator new, so that every
// deallocation matches (the sanitizer checks that), and fail on demand.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_allowed.load() >= 0 && g_allowed.fetch_sub(1) == 0) {
    ++g_failed;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}

namespace {

std::unique_ptr<cClientStorage> StorageFor(const char* folder) {
  auto storage = std::make_unique<cClientStorage>();
  EXPECT_EQ(storage->Initialise(), 0);
  storage->Monitor()->monitored_directory = folder;
  return storage;
}

std::string LoadedFolder() {
  std::unique_ptr<cClientStorage> storage;
  if (LoadClientStorage(nullptr, &storage, nullptr) != 0 || storage == nullptr ||
      storage->Monitor() == nullptr) {
    return "<does not load>";
  }
  return storage->Monitor()->monitored_directory.CStr();
}

TEST(SettingsFileTorture, EveryFailedAllocationIsSurvived) {
  TempConfigHome home;
  ASSERT_EQ(SaveClientStorage(nullptr, *StorageFor("/old"), nullptr), 0);
  auto fresh = StorageFor("/new");
  long turns = 0;
  for (;; ++turns) {
    g_failed = 0;
    g_allowed = turns;
    const int32_t saved = SaveClientStorage(nullptr, *fresh, nullptr);
    std::unique_ptr<cClientStorage> loaded;
    const int32_t load = LoadClientStorage(nullptr, &loaded, nullptr);
    g_allowed = -1;
    if (g_failed == 0) break;  // every allocation of the pair has had its turn to fail
    SCOPED_TRACE("allocation " + std::to_string(turns) + " failed");
    EXPECT_EQ(load == 0, loaded != nullptr);
    const std::string on_disk = LoadedFolder();
    EXPECT_TRUE(on_disk == "/old" || on_disk == "/new") << on_disk;
    if (saved == 0) {
      EXPECT_EQ(on_disk, "/new");
    }
    // Back to the old file for the next turn.
    ASSERT_EQ(SaveClientStorage(nullptr, *StorageFor("/old"), nullptr), 0);
  }
  EXPECT_GT(turns, 0) << "the settings load and save made no fallible allocation";
  std::printf("%ld allocations failed in turn\n", turns);
}

}  // namespace
