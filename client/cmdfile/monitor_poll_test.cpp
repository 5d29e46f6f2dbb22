#include "client/cmdfile/monitor_poll.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "client/protocol/testing/recording_activity_log.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

using hv::test::ReadText;
using hv::test::WriteText;

class MonitorPollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    root_ = folder_.path();
    fs::create_directories(root_ / "watch");
    watch_.monitored_directory = (root_ / "watch").c_str();
    watch_.file_name = "VHCmd.txt";
    watch_.response_file_name = (root_ / "VHCmdResponse.txt").c_str();
  }
  void TearDown() override {
    std::error_code ignored;
    // A folder a test made unreadable must be readable again to be removed.
    fs::permissions(root_ / "watch", fs::perms::owner_all, ignored);
  }

  fs::path CommandFile() const { return root_ / "watch" / "VHCmd.txt"; }
  // Two ticks: the first sees the file, the second finds it unchanged and handles it.
  int32_t PollTwice() {
    EXPECT_TRUE(poller_.Poll(watch_, nullptr, &log_).declined());
    return poller_.Poll(watch_, nullptr, &log_).code();
  }

  hv::test::cTempFolder folder_{"monitor_poll"};
  fs::path root_;
  cCommandFileWatch watch_;
  cCommandFilePoller poller_;
  cRecordingActivityLog log_;
};

TEST(CommandFilePathTest, JoinsWithOneSlash) {
  EXPECT_STREQ(CommandFilePath("/home/u", "VHCmd.txt").CStr(), "/home/u/VHCmd.txt");
  EXPECT_STREQ(CommandFilePath("/home/u/", "VHCmd.txt").CStr(), "/home/u/VHCmd.txt");
  EXPECT_STREQ(CommandFilePath("/", "VHCmd.txt").CStr(), "/VHCmd.txt");
  EXPECT_STREQ(CommandFilePath("", "VHCmd.txt").CStr(), "VHCmd.txt");
}

TEST_F(MonitorPollTest, NothingToDoWhenDisabledOrNoFile) {
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  WriteText(CommandFile(), "switch Porch on\n");
  watch_.enabled = false;
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  EXPECT_TRUE(fs::exists(CommandFile()));
  watch_.enabled = true;
  watch_.file_name = "";
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  EXPECT_TRUE(log_.entries.empty());
}

TEST_F(MonitorPollTest, FileStillBeingWrittenWaitsUntilItStopsChanging) {
  WriteText(CommandFile(), "switch Porch");
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  std::ofstream(CommandFile(), std::ios::binary | std::ios::app) << " on\n";
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);  // grew since last tick
  EXPECT_TRUE(fs::exists(CommandFile()));
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kOk);  // unchanged: handled
  EXPECT_FALSE(fs::exists(CommandFile()));
}

TEST_F(MonitorPollTest, NotConnectedDeletesAndReportsInLogAndResponseFile) {
  WriteText(CommandFile(), "switch Porch on\n");
  EXPECT_EQ(PollTwice(), hv::kOk);
  EXPECT_FALSE(fs::exists(CommandFile()));

  ASSERT_EQ(log_.entries.size(), 1u);
  const auto& entry = log_.entries[0];
  EXPECT_EQ(entry.record.entry_type, kEntryError);
  EXPECT_TRUE(entry.stored);
  EXPECT_TRUE(entry.shown);
  EXPECT_NE(std::string(entry.record.message.CStr()).find(CommandFile().string()),
            std::string::npos);
  EXPECT_NE(std::string(entry.record.message.CStr()).find("not connected"), std::string::npos);

  std::string response = ReadText(watch_.response_file_name.CStr());
  EXPECT_EQ(response.rfind("ERROR ", 0), 0u) << response;
  EXPECT_NE(response.find("no command was run"), std::string::npos);
}

TEST_F(MonitorPollTest, AResponseFileThatCannotBeWrittenIsReportedWithTheReason) {
  watch_.response_file_name = (root_ / "no-folder" / "VHCmdResponse.txt").c_str();
  WriteText(CommandFile(), "mute on\n");
  EXPECT_EQ(PollTwice(), hv::kOk);
  ASSERT_EQ(log_.entries.size(), 2u);
  EXPECT_EQ(std::string(log_.entries[1].record.message.CStr()),
            "Unable to write the response file " + std::string(watch_.response_file_name.CStr()) +
                " (cannot write beside " + watch_.response_file_name.CStr() +
                ": No such file or directory)");
}

TEST_F(MonitorPollTest, NoResponseFileWhenNoneIsWanted) {
  watch_.create_response_file = false;
  WriteText(CommandFile(), "mute on\n");
  EXPECT_EQ(PollTwice(), hv::kOk);
  EXPECT_FALSE(fs::exists(watch_.response_file_name.CStr()));
  EXPECT_EQ(log_.entries.size(), 1u);
}

TEST_F(MonitorPollTest, MovesToProcessedDirectoryReplacingAnEarlierFile) {
  fs::create_directories(root_ / "done");
  WriteText(root_ / "done" / "VHCmd.txt", "older");
  watch_.move_to_processed = true;
  watch_.processed_directory = (root_ / "done").c_str();
  WriteText(CommandFile(), "pause on\n");
  EXPECT_EQ(PollTwice(), hv::kOk);
  EXPECT_FALSE(fs::exists(CommandFile()));
  EXPECT_EQ(ReadText(root_ / "done" / "VHCmd.txt"), "pause on\n");
}

TEST_F(MonitorPollTest, FileThatCannotBeMovedIsKeptAndNotHandledTwice) {
  struct Case {
    const char* what;
    std::string processed;
  };
  const Case cases[] = {
      {"no processed directory", ""},
      {"processed is monitored", (root_ / "watch").string()},
      {"processed directory missing", (root_ / "missing").string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    log_.entries.clear();
    watch_.move_to_processed = true;
    watch_.processed_directory = c.processed.c_str();
    WriteText(CommandFile(), std::string("x10 A1 on\n") + c.what);
    EXPECT_EQ(PollTwice(), hv::kOk);
    EXPECT_EQ(ReadText(CommandFile()), std::string("x10 A1 on\n") + c.what);
    // Not connected entry, then the entry saying the file was left in place.
    ASSERT_EQ(log_.entries.size(), 2u);
    const std::string left = log_.entries[1].record.message.CStr();
    EXPECT_NE(left.find(CommandFile().string()), std::string::npos);
    // A move the system refused says why.
    if (c.processed == (root_ / "missing").string()) {
      EXPECT_NE(left.find(": No such file or directory); it was left in place"), std::string::npos)
          << left;
    }
    // The same file is not taken again on later ticks...
    EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
    EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
    EXPECT_EQ(log_.entries.size(), 2u);
    fs::remove(CommandFile());
    EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  }
  // ...but a new file of that name is.
  WriteText(CommandFile(), "mute off\n");
  watch_.move_to_processed = false;
  EXPECT_EQ(PollTwice(), hv::kOk);
  EXPECT_FALSE(fs::exists(CommandFile()));
}

TEST_F(MonitorPollTest, UnreadableFileStaysAndIsRetried) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  WriteText(CommandFile(), "mute on\n");
  fs::permissions(CommandFile(), fs::perms::none);
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kCannotOpenFile);
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kDeclined);  // seen again, settles
  EXPECT_EQ(poller_.Poll(watch_, nullptr, &log_).code(), hv::kCannotOpenFile);
  EXPECT_TRUE(fs::exists(CommandFile()));
  EXPECT_TRUE(log_.entries.empty());
  fs::permissions(CommandFile(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(PollTwice(), hv::kOk);
}

}  // namespace

}  // namespace hv
