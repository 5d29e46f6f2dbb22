// The command file monitor end to end: a whole application object (in-memory toolkit, fake
// clock, poll event loop) logs in to a housesim program started from $HV_BIN_DIR, and files
// dropped into the monitored folder change the simulated house and bring back responses.
// The test plays the main frame's timer by calling the monitor's poll once per tick.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/protocol/server_connection.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "core/profile/profile.h"
#include "core/status.h"
#include "tests/desk_session_support.h"
#include "tests/housesim_program.h"

namespace hv::test {
namespace {

namespace fs = std::filesystem;

// Real time is what a separate program runs on; every wait here is bounded.
bool WaitFor(const std::function<bool()>& done, const std::function<void()>& step,
             int timeout_ms = 10000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    step();
  }
  return true;
}

class CommandFileMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override { StartWith({}); }
  void StartWith(const std::vector<std::string>& sim_options) {
    sim_ = std::make_unique<cHousesimProgram>(folders_.Root(), sim_options);
    ASSERT_NE(sim_->Port(), 0u) << "housesim did not start";
    WriteAutoLogin(sim_->Port());
    app_ = std::make_unique<CHouseDeskApp>(harness_.environment);
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_TRUE(app_->Connection().IsConnected()) << "login failed";
    monitor_ = app_->ClientStorage()->Monitor();
  }
  void TearDown() override {
    app_.reset();
    sim_.reset();
  }

  fs::path CommandFile() const { return folders_.Home() / "VHCmd.txt"; }
  fs::path ResponseFile() const { return folders_.Home() / "VHCmdResponse.txt"; }
  void Drop(const std::string& text) { std::ofstream(CommandFile(), std::ios::binary) << text; }
  // One timer tick's worth of work: the poll, then whatever the server has sent.
  int32_t Tick() {
    int32_t rc = app_->PollCommandFileMonitor().code();
    harness_.loop.Pump(0);
    return rc;
  }
  bool PumpUntil(const std::function<bool()>& done) {
    return WaitFor(done, [this] { harness_.loop.Pump(20); });
  }
  bool ResponseArrived() { return fs::exists(ResponseFile()); }
  // Two ticks of the frame's timer for a file that is refused: it goes, and the one entry it
  // leaves is an Error that names it. The entry's message, for the reason.
  std::string RefusedWithAnError() {
    const size_t entries_before = app_->ActivityItems().Count();
    Tick();
    EXPECT_EQ(Tick(), hv::kOk);
    EXPECT_FALSE(fs::exists(CommandFile()));
    if (app_->ActivityItems().Count() != entries_before + 1) {
      ADD_FAILURE() << "not one entry but " << app_->ActivityItems().Count() - entries_before;
      return "";
    }
    const LogItemRecord& entry = app_->ActivityItems().At(entries_before)->Entry();
    EXPECT_EQ(entry.entry_type, kEntryError);
    std::string message = entry.message.CStr();
    EXPECT_NE(message.find(CommandFile().string()), std::string::npos) << message;
    return message;
  }

  cTemporaryUserFolders folders_;
  cAppHarness harness_;
  std::unique_ptr<cHousesimProgram> sim_;
  std::unique_ptr<CHouseDeskApp> app_;
  cMonitorCommandFile* monitor_ = nullptr;
};

TEST_F(CommandFileMonitorTest, DroppedFileChangesTheHouseAndBringsBackTheResponse) {
  Drop("switch \"Porch Light\" on\nmute on\nswitch Nowhere on\n");
  EXPECT_EQ(Tick(), hv::kDeclined);  // first sight: the writer may not be done
  EXPECT_EQ(Tick(), hv::kOk);
  EXPECT_FALSE(fs::exists(CommandFile()));

  ASSERT_TRUE(PumpUntil([this] { return ResponseArrived(); }));
  std::string response = ReadText(ResponseFile());
  EXPECT_NE(response.find("OK switch \"Porch Light\" on"), std::string::npos) << response;
  EXPECT_NE(response.find("OK mute on"), std::string::npos) << response;
  EXPECT_NE(response.find("ERROR switch Nowhere on"), std::string::npos) << response;
  // Nothing of it was left in the data folder, and the server's name was not followed.
  EXPECT_FALSE(fs::exists(folders_.DataFolder() / "VHCmdResponse.txt"));

  // The house changed: the server pushes the new status of the switch.
  cRecordingMainWindow& window = *harness_.windows.window;
  ASSERT_TRUE(PumpUntil([&] {
    for (const StatusChangeRecord& r : window.switch_statuses) {
      if (std::string(r.name.CStr()) == "Porch Light") return true;
    }
    return false;
  }));
  EXPECT_TRUE(app_->ActivityItems().Empty() ||
              app_->ActivityItems().At(0)->Entry().entry_type != kEntryError);
}

TEST_F(CommandFileMonitorTest, EmptyFileIsSentWithoutContents) {
  Drop("");
  EXPECT_EQ(Tick(), hv::kDeclined);
  EXPECT_EQ(Tick(), hv::kOk);
  EXPECT_FALSE(fs::exists(CommandFile()));
  ASSERT_TRUE(PumpUntil([this] { return ResponseArrived(); }));
  EXPECT_EQ(ReadText(ResponseFile()), "");
  EXPECT_NE(sim_->Log().find("0 bytes in 1 blocks"), std::string::npos) << sim_->Log();
}

TEST_F(CommandFileMonitorTest, NoResponseWantedSendsAnEmptyResponseName) {
  monitor_->create_response_file = 0;
  Drop("pause on\n");
  Tick();
  EXPECT_EQ(Tick(), hv::kOk);
  ASSERT_TRUE(PumpUntil([this] { return sim_->Log().find("response \"\"") != std::string::npos; }))
      << sim_->Log();
  harness_.loop.Pump(50);
  EXPECT_FALSE(ResponseArrived());
}

TEST_F(CommandFileMonitorTest, HandledFileMovesToTheProcessedFolder) {
  const fs::path done = folders_.Home() / "done";
  fs::create_directories(done);
  monitor_->action_when_done = 1;
  monitor_->processed_directory = done.c_str();
  Drop("lightdark night\n");
  Tick();
  EXPECT_EQ(Tick(), hv::kOk);
  EXPECT_FALSE(fs::exists(CommandFile()));
  EXPECT_EQ(ReadText(done / "VHCmd.txt"), "lightdark night\n");
  ASSERT_TRUE(PumpUntil([this] { return ResponseArrived(); }));
  EXPECT_NE(ReadText(ResponseFile()).find("OK lightdark night"), std::string::npos);
}

TEST_F(CommandFileMonitorTest, FileStillBeingWrittenIsNotSentHalf) {
  std::ofstream writer(CommandFile(), std::ios::binary);
  writer << "switch \"Hall Light\" o" << std::flush;
  EXPECT_EQ(Tick(), hv::kDeclined);
  writer << "ff\n" << std::flush;
  EXPECT_EQ(Tick(), hv::kDeclined);  // it grew since the last tick
  writer.close();
  EXPECT_EQ(Tick(), hv::kOk);
  ASSERT_TRUE(PumpUntil([this] { return ResponseArrived(); }));
  std::string response = ReadText(ResponseFile());
  EXPECT_NE(response.find("OK switch \"Hall Light\" off"), std::string::npos) << response;
  EXPECT_EQ(response.find("ERROR"), std::string::npos) << response;
}

TEST_F(CommandFileMonitorTest, WithoutConnectionTheFileGoesAndTheFailureIsReported) {
  sim_->Stop(SIGTERM);  // Goodbye, then the server is gone
  ASSERT_TRUE(PumpUntil([this] { return !app_->Connection().IsConnected(); }));

  Drop("switch \"Porch Light\" on\n");
  EXPECT_NE(RefusedWithAnError(), "");
  std::string response = ReadText(ResponseFile());
  EXPECT_EQ(response.rfind("ERROR ", 0), 0u) << response;
  EXPECT_NE(response.find("not connected"), std::string::npos) << response;
}

// A server of the short header form takes every block for a whole message.
class OldHeaderServerTest : public CommandFileMonitorTest {
 protected:
  void SetUp() override { StartWith({"--header-version", "1"}); }
};

TEST_F(OldHeaderServerTest, FileOfOneBlockIsSentAndALargerOneIsRefusedWhole) {
  // The server's first answers set the header form the client answers in.
  ASSERT_TRUE(PumpUntil([this] {
    return app_->Connection().Socket() != nullptr &&
           app_->Connection().Socket()->ProtocolVersion() == 1;
  }));
  Drop("switch \"Porch Light\" on\n");
  Tick();
  EXPECT_EQ(Tick(), hv::kOk);
  ASSERT_TRUE(PumpUntil([this] { return ResponseArrived(); }));
  EXPECT_NE(ReadText(ResponseFile()).find("OK switch \"Porch Light\" on"), std::string::npos);
  fs::remove(ResponseFile());

  std::string large;
  while (large.size() <= 70000) large += "switch \"Hall Light\" toggle\n";
  Drop(large);
  const std::string message = RefusedWithAnError();
  EXPECT_NE(message.find("too large"), std::string::npos) << message;
  const std::string response = ReadText(ResponseFile());
  EXPECT_EQ(response.rfind("ERROR ", 0), 0u) << response;
  EXPECT_NE(response.find("too large"), std::string::npos) << response;

  // Nothing of it reached the server: a later small file is still the second one it saw,
  // and no toggle ran.
  fs::remove(ResponseFile());
  Drop("mute on\n");
  Tick();
  EXPECT_EQ(Tick(), hv::kOk);
  ASSERT_TRUE(PumpUntil([this] { return ResponseArrived(); }));
  EXPECT_EQ(ReadText(ResponseFile()), "OK mute on\r\n");
  const std::string log = sim_->Log();
  EXPECT_EQ(log.find("Hall Light"), std::string::npos) << log;
  size_t files = 0;
  for (size_t at = log.find(" bytes in "); at != std::string::npos;
       at = log.find(" bytes in ", at + 1)) {
    ++files;
  }
  EXPECT_EQ(files, 2u) << log;
}

}  // namespace
}  // namespace hv::test
