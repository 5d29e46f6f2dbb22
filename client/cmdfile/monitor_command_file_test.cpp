#include "client/cmdfile/monitor_command_file.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "client/cmdfile/client_storage.h"
#include "core/archive/archive.h"
#include "core/profile/user_folders.h"
#include "core/testing/memory_file.h"

namespace hv {

namespace {

TEST(MonitorCommandFileTest, DefaultsStandForTheHomeFolder) {
  uint32_t before = static_cast<uint32_t>(std::time(nullptr));
  cMonitorCommandFile monitor;
  EXPECT_EQ(monitor.ClassId(), 4001);
  EXPECT_EQ(monitor.enabled, 1);
  EXPECT_EQ(monitor.monitor_type, 0u);
  EXPECT_EQ(std::string(monitor.monitored_directory.CStr()), HomeFolder());
  EXPECT_STREQ(monitor.file_name.CStr(), "VHCmd.txt");
  EXPECT_GE(monitor.start_time, before);
  EXPECT_EQ(monitor.interval, 5u);
  EXPECT_EQ(monitor.interval_unit, 2u);
  EXPECT_EQ(monitor.action_when_done, 0u);
  EXPECT_STREQ(monitor.processed_directory.CStr(), "");
  EXPECT_EQ(monitor.create_response_file, 1);
  EXPECT_EQ(monitor.append, 0);
  std::string home = HomeFolder();
  EXPECT_EQ(std::string(monitor.response_file_name.CStr()),
            home + (home.back() == '/' ? "" : "/") + "VHCmdResponse.txt");
}

TEST(ClientStorageTest, InitialiseMakesOneMonitorAndStorageRoundTrips) {
  cClientStorage storage;
  EXPECT_EQ(storage.ClassId(), 4000);
  EXPECT_EQ(storage.Monitor(), nullptr);
  ASSERT_EQ(storage.Initialise().code(), 0);
  cMonitorCommandFile* first = storage.Monitor();
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(storage.Initialise().code(), 0);
  EXPECT_EQ(storage.Monitor(), first);  // an existing monitor is kept
  first->interval = 77;
  first->file_name = "other.txt";

  swMemoryFile file;
  {
    swArchive archive;
    EXPECT_TRUE(archive.RegisterCoreClasses(2).ok());
    EXPECT_TRUE(archive.RegisterClass(4000, cClientStorage::Create, 1).ok());
    EXPECT_TRUE(archive.RegisterClass(4001, cMonitorCommandFile::Create, 2).ok());
    ASSERT_TRUE(archive.Open(&file, true, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
    archive.WriteObjectRef(&storage, 1);
    ASSERT_TRUE(archive.Close().ok());
  }
  ASSERT_TRUE(file.Seek(0).ok());
  swArchive archive;
  EXPECT_TRUE(archive.RegisterCoreClasses(2).ok());
  EXPECT_TRUE(archive.RegisterClass(4000, cClientStorage::Create, 1).ok());
  EXPECT_TRUE(archive.RegisterClass(4001, cMonitorCommandFile::Create, 2).ok());
  ASSERT_TRUE(archive.Open(&file, false, true, nullptr, nullptr, nullptr, 1, nullptr, 0).ok());
  swStorable* read = nullptr;
  archive.ReadObjectRef(&read, 1);
  std::unique_ptr<swStorable> owner(read);
  ASSERT_EQ(archive.Status(), 0);
  auto* loaded = static_cast<cClientStorage*>(read);
  ASSERT_NE(loaded->Monitor(), nullptr);
  EXPECT_EQ(loaded->Monitor()->interval, 77u);
  EXPECT_STREQ(loaded->Monitor()->file_name.CStr(), "other.txt");
}

TEST(ClientStorageTest, SerializeReportsAnArchiveThatIsNotOpen) {
  swArchive closed;
  cClientStorage storage;
  EXPECT_FALSE(storage.Serialize(closed).ok());
  cMonitorCommandFile monitor;
  EXPECT_FALSE(monitor.Serialize(closed).ok());
}

}  // namespace

}  // namespace hv
