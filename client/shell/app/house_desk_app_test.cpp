#include "client/shell/app/house_desk_app.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/history/history_store.h"
#include "client/platform/spawn_shell.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/server_connection.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/registry_words.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/image_list.h"
#include "client/views/history/history_desk.h"
#include "core/profile/profile.h"
#include "core/status.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

namespace fs = std::filesystem;
using hv::test::cAppHarness;
using hv::test::cTemporaryUserFolders;
using hv::test::ReadText;
using hv::test::WriteClientSetting;

// A loopback port that nothing listens on.
uint32_t ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t size = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

// An entry's type, name and message, as one assertion that names all three when it fails.
::testing::AssertionResult EntryIs(const LogItemRecord& entry, int32_t type, const char* name,
                                   const char* message) {
  if (entry.entry_type == type && std::string(entry.name.CStr()) == name &&
      std::string(entry.message.CStr()) == message) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "entry " << entry.entry_type << " \"" << entry.name.CStr()
                                       << "\": \"" << entry.message.CStr() << "\"";
}

LogItemRecord Entry(const char* name) {
  LogItemRecord entry;
  entry.entry_type = 1;
  entry.name = name;
  entry.message = "message";
  return entry;
}

// Every test has user folders of its own and a harness; it changes what it needs, then makes
// the application and starts it.
class HouseDeskAppTest : public ::testing::Test {
 protected:
  // Makes the application and runs its start-up; whether that succeeded.
  bool Start() {
    app_ = std::make_unique<CHouseDeskApp>(harness_.environment);
    return app_->InitInstance();
  }

  cTemporaryUserFolders folders_;
  cAppHarness harness_;
  std::unique_ptr<CHouseDeskApp> app_;
};

TEST_F(HouseDeskAppTest, StartsWithoutSettingsFileAndWritesItAtTheEnd) {
  ASSERT_FALSE(fs::exists(folders_.SettingsFile()));
  ASSERT_TRUE(Start());
  ASSERT_NE(app_->ClientStorage(), nullptr);
  cMonitorCommandFile* monitor = app_->ClientStorage()->Monitor();
  ASSERT_NE(monitor, nullptr);
  // The defaults that stand for the system drive are the home folder here.
  EXPECT_EQ(fs::path(monitor->monitored_directory.CStr()), folders_.Home());
  EXPECT_EQ(fs::path(monitor->response_file_name.CStr()), folders_.Home() / "VHCmdResponse.txt");

  EXPECT_TRUE(fs::is_directory(folders_.DataFolder()));
  EXPECT_EQ(fs::current_path(), folders_.DataFolder());
  EXPECT_STREQ(app_->DataFolder().CStr(), folders_.DataFolder().c_str());
  ASSERT_NE(app_->SharedImages(), nullptr);
  EXPECT_EQ(app_->SharedImages()->Count(), 14);
  EXPECT_EQ(app_->SharedImages()->CellWidth(), 20);
  EXPECT_EQ(app_->SharedImages()->CellHeight(), 16);
  EXPECT_STREQ(app_->ProgramDirectory().CStr(), "/opt/hearthview/bin");

  // Frame, then main window; no message box and no connection without "Auto Login".
  EXPECT_NE(app_->MainFrame(), nullptr);
  EXPECT_EQ(app_->MainWindow(), harness_.windows.window);
  EXPECT_FALSE(app_->Connection().IsConnected());
  EXPECT_TRUE(harness_.Boxes().empty());
  app_.reset();  // the settings file is written as the application ends
  EXPECT_TRUE(fs::exists(folders_.SettingsFile()));
  EXPECT_TRUE(harness_.Boxes().empty());
}

TEST_F(HouseDeskAppTest, SettingsChangedDuringTheRunAreThereNextTime) {
  {
    cAppHarness first_run;
    CHouseDeskApp app(first_run.environment);
    ASSERT_TRUE(app.InitInstance());
    app.ClientStorage()->Monitor()->file_name = "Orders.txt";
    app.ClientStorage()->Monitor()->action_when_done = 1;
  }
  ASSERT_TRUE(Start());
  EXPECT_STREQ(app_->ClientStorage()->Monitor()->file_name.CStr(), "Orders.txt");
  EXPECT_EQ(app_->ClientStorage()->Monitor()->action_when_done, 1u);
}

TEST_F(HouseDeskAppTest, UnreadableSettingsFileGivesFreshStorageWithoutMessage) {
  fs::create_directories(folders_.SettingsFile().parent_path());
  std::ofstream(folders_.SettingsFile(), std::ios::binary) << "no end-of-preface byte here";
  ASSERT_TRUE(Start());
  ASSERT_NE(app_->ClientStorage(), nullptr);
  EXPECT_NE(app_->ClientStorage()->Monitor(), nullptr);
  EXPECT_TRUE(harness_.Boxes().empty());
}

TEST_F(HouseDeskAppTest, LoadingAMissingFileKeepsTheCurrentStorage) {
  ASSERT_TRUE(Start());
  cClientStorage* before = app_->ClientStorage();
  swString used;
  const fs::path missing = folders_.Root() / "missing.txt";
  EXPECT_EQ(app_->LoadClientStorage(missing.c_str(), &used).code(), hv::kCannotOpenFile);
  EXPECT_STREQ(used.CStr(), missing.c_str());
  EXPECT_EQ(app_->ClientStorage(), before);

  // A copy saved elsewhere reads back into a new storage.
  const fs::path copy = folders_.Root() / "copy.txt";
  before->Monitor()->file_name = "Copy.txt";
  EXPECT_EQ(app_->SaveClientStorage(copy.c_str(), nullptr).code(), hv::kOk);
  EXPECT_EQ(app_->LoadClientStorage(copy.c_str(), nullptr).code(), hv::kOk);
  ASSERT_NE(app_->ClientStorage(), nullptr);
  EXPECT_STREQ(app_->ClientStorage()->Monitor()->file_name.CStr(), "Copy.txt");
}

TEST_F(HouseDeskAppTest, SettingsThatCannotBeSavedAreReportedWithThePathAndTheReason) {
  ASSERT_TRUE(Start());
  // A folder where the file should be: nothing can be renamed over it.
  fs::create_directories(folders_.SettingsFile());
  app_.reset();
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  EXPECT_STREQ(harness_.Boxes()[0].caption.CStr(), "Unable to save settings");
  const std::string file = folders_.SettingsFile().string();
  EXPECT_EQ(std::string(harness_.Boxes()[0].text.CStr()),
            "Some of the settings could not be saved to file " + file +
                "\n\nReason: cannot replace " + file + ": Is a directory");
}

TEST_F(HouseDeskAppTest, RegistryWordsAreOrvaneVarnholtWithoutQuillmereKey) {
  WriteClientSetting("Max Log Entries", 17u);
  ASSERT_TRUE(Start());
  EXPECT_STREQ(app_->RegistryWords().Company(), "Orvane LLC");
  EXPECT_STREQ(app_->RegistryWords().Application(), "Varnholt");
  EXPECT_EQ(app_->Settings().max_log_entries, 17u);
}

TEST_F(HouseDeskAppTest, AutoLoginWithEmptyAddressMakesNoAttempt) {
  WriteClientSetting("Auto Login", 1u);
  WriteClientSetting("LoginUserName", "bob");
  ASSERT_TRUE(Start());
  EXPECT_FALSE(app_->Connection().IsConnected());
  EXPECT_TRUE(harness_.Boxes().empty());
  // The current connection still took the login values.
  EXPECT_STREQ(app_->Settings().user_name.CStr(), "bob");
}

TEST_F(HouseDeskAppTest, FailedAutoLoginShowsUnableToConnectAndStartsAnyway) {
  const uint32_t port = ClosedPort();
  WriteClientSetting("Auto Login", 1u);
  WriteClientSetting("LoginAddress", "127.0.0.1");
  WriteClientSetting("LoginPort", port);
  WriteClientSetting("LoginUserName", "bob");
  WriteClientSetting("Address", "elsewhere");
  ASSERT_TRUE(Start());
  EXPECT_FALSE(app_->Connection().IsConnected());
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  EXPECT_STREQ(harness_.Boxes()[0].caption.CStr(), "Unable to Connect");
  EXPECT_EQ(harness_.Boxes()[0].icon, cMessageBoxIcon::kWarning);
  // The box names the reason and where to look, not only what was tried.
  EXPECT_EQ(std::string(harness_.Boxes()[0].text.CStr()),
            "Unable to connect to 127.0.0.1, port " + std::to_string(port) +
                ", with user name of bob: connection refused.\r\n\r\nCheck the port in Setup "
                "and that the server is running.");
  EXPECT_NE(app_->MainWindow(), nullptr);
}

TEST_F(HouseDeskAppTest, MissingFrameEndsStartUp) {
  harness_.windows.make_frame = false;
  EXPECT_FALSE(Start());
  EXPECT_EQ(harness_.windows.windows_made, 0);
}

TEST_F(HouseDeskAppTest, AMaxLogEntriesOfZeroKeepsEveryEntry) {
  WriteClientSetting("Max Log Entries", 0u);
  ASSERT_TRUE(Start());
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(app_->AddLogEntry(Entry(std::to_string(i).c_str()), true, true).code(), hv::kOk);
  }
  EXPECT_EQ(app_->ActivityItems().Count(), 3u);
  EXPECT_TRUE(harness_.windows.window->forgotten.empty());
}

TEST_F(HouseDeskAppTest, AddLogEntryCapsTheStoredListAndShowsThroughTheWindow) {
  WriteClientSetting("Max Log Entries", 250u);
  ASSERT_TRUE(Start());
  hv::test::cRecordingMainWindow& window = *harness_.windows.window;

  for (int i = 1; i <= 250; ++i) {
    ASSERT_EQ(app_->AddLogEntry(Entry(std::to_string(i).c_str()), true, true).code(), hv::kOk);
  }
  ASSERT_EQ(app_->ActivityItems().Count(), 250u);
  const CActivityItem* oldest = app_->ActivityItems().At(0);
  EXPECT_STREQ(oldest->Entry().name.CStr(), "1");
  // Stamped with the local time when made.
  EXPECT_STREQ(oldest->Entry().date_text.CStr(), "01/15/2024");
  EXPECT_STREQ(oldest->Entry().time_text.CStr(), "09:30:00 AM");

  ASSERT_EQ(app_->AddLogEntry(Entry("251"), true, true).code(), hv::kOk);
  EXPECT_EQ(app_->ActivityItems().Count(), 250u);
  EXPECT_STREQ(app_->ActivityItems().At(0)->Entry().name.CStr(), "2");
  EXPECT_STREQ(app_->ActivityItems().At(249)->Entry().name.CStr(), "251");
  // The window was told before the oldest was freed, so no row keeps a dangling item.
  ASSERT_EQ(window.forgotten.size(), 1u);
  EXPECT_EQ(window.forgotten[0], oldest);

  ASSERT_EQ(window.shown.size(), 251u);
  EXPECT_EQ(window.shown.back().item, app_->ActivityItems().At(249));
  EXPECT_EQ(harness_.windows.frame->flashes, 251);

  // Store flag 0: shown, never stored; an entry's own date and time are kept.
  LogItemRecord dated = Entry("shown only");
  dated.date_text = "12/31/2023";
  dated.time_text = "11:59:59 PM";
  EXPECT_EQ(app_->AddLogEntry(dated, false, true).code(), 0);
  EXPECT_EQ(app_->ActivityItems().Count(), 249u);  // at the cap, the oldest still goes
  EXPECT_EQ(window.shown.back().item, nullptr);
  EXPECT_STREQ(window.shown.back().entry.date_text.CStr(), "12/31/2023");
  // Show flag 0: stored, not shown.
  EXPECT_EQ(app_->AddLogEntry(Entry("stored only"), true, false).code(), 0);
  EXPECT_EQ(window.shown.size(), 252u);
  EXPECT_STREQ(app_->ActivityItems().At(249)->Entry().name.CStr(), "stored only");
}

TEST_F(HouseDeskAppTest, LogItemAnswersAreStoredEvenBeforeTheWindowExists) {
  harness_.environment.windows = nullptr;
  ASSERT_TRUE(Start());
  EXPECT_EQ(app_->AnswerRelay().Receive(Entry("from server")).code(), hv::kOk);
  EXPECT_EQ(app_->ActivityItems().Count(), 1u);
  EXPECT_EQ(app_->AnswerRelay().Receive(ClientQtyRecord{3}).code(),
            hv::kDeclined);  // no window: dropped
  EXPECT_EQ(app_->ShowLogEntry(Entry("x")).code(), hv::kDeclined);
}

TEST_F(HouseDeskAppTest, ServerMessagesAreShownEvenBeforeTheWindowExists) {
  harness_.environment.windows = nullptr;
  ASSERT_TRUE(Start());
  ServerMessageRecord message;
  message.caption = "Notice";
  message.text = "Hello";
  EXPECT_EQ(app_->AnswerRelay().Receive(message).code(), hv::kOk);
  harness_.loop.Pump(0);  // the box opens once the answers at hand are handled
  message.plain = 1;
  EXPECT_EQ(app_->AnswerRelay().Receive(message).code(), hv::kOk);
  harness_.loop.Pump(0);
  ASSERT_EQ(harness_.Boxes().size(), 2u);
  EXPECT_STREQ(harness_.Boxes()[0].text.CStr(), "Hello");
  EXPECT_STREQ(harness_.Boxes()[0].caption.CStr(), "Notice");
  EXPECT_EQ(harness_.Boxes()[0].icon, cMessageBoxIcon::kWarning);
  EXPECT_EQ(harness_.Boxes()[1].icon, cMessageBoxIcon::kNone);
}

// Messages read together share one box, and so do those that come while a box is open (its
// wait keeps the connection read); every one without a box of its own is in the activity log.
TEST_F(HouseDeskAppTest, AFloodOfServerMessagesSharesOneBox) {
  ASSERT_TRUE(Start());
  ServerMessageRecord message;
  message.caption = "Flood";
  int next = 1;
  const auto send_up_to = [&](int last) {
    for (; next <= last; ++next) {
      message.text.Format("Server message %d", next);
      EXPECT_EQ(app_->AnswerRelay().Receive(message).code(), hv::kOk);
    }
  };
  int open_boxes = 0;
  int deepest = 0;
  harness_.toolkit.HeadlessMessageBox().WhileOpen([&](const cHeadlessMessageBox::cShown&) {
    ++open_boxes;
    deepest = std::max(deepest, open_boxes);
    if (harness_.Boxes().size() == 1) {
      send_up_to(1000);
      harness_.loop.Pump(0);  // the event loop runs on while the box waits
    }
    --open_boxes;
  });
  send_up_to(500);
  EXPECT_TRUE(harness_.Boxes().empty());
  harness_.loop.Pump(0);

  EXPECT_EQ(deepest, 1) << "a box was opened inside another";
  const auto& boxes = harness_.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_STREQ(boxes[0].text.CStr(),
               "Server message 500\n\n(and 499 more messages; see the activity log)");
  EXPECT_STREQ(boxes[1].text.CStr(),
               "Server message 1000\n\n(and 499 more messages; see the activity log)");
  EXPECT_STREQ(boxes[1].caption.CStr(), "Flood");
  EXPECT_EQ(boxes[1].icon, cMessageBoxIcon::kWarning);
  const auto& logged = harness_.windows.window->shown;
  ASSERT_EQ(logged.size(), 998u);
  EXPECT_TRUE(EntryIs(logged[0].entry, kEntryUserMessage, "Flood", "Server message 1"));
  EXPECT_STREQ(logged[499].entry.message.CStr(), "Server message 501");

  // Two in a row after the flood: one box says there was one more.
  send_up_to(1002);
  harness_.loop.Pump(0);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_STREQ(boxes[2].text.CStr(),
               "Server message 1002\n\n(and 1 more message; see the activity log)");
  // A message on its own has its box to itself, and nothing in the log.
  send_up_to(1003);
  harness_.loop.Pump(0);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_STREQ(boxes[3].text.CStr(), "Server message 1003");
  EXPECT_EQ(logged.size(), 999u);

  // Once the program is ending no box opens: the loop that would close it is gone.
  send_up_to(1004);
  app_->RequestExit();
  harness_.loop.Pump(0);
  EXPECT_EQ(boxes.size(), 4u);
}

TEST_F(HouseDeskAppTest, LaunchProgramStartsItAndReportsWhatCannotStart) {
  ASSERT_TRUE(Start());
  LaunchProgramRecord launch;
  launch.verb = "open";
  launch.file = "/usr/bin/true";
  launch.parameters = "-a \"b c\"";
  EXPECT_EQ(app_->AnswerRelay().Receive(launch).code(), hv::kOk);
  ASSERT_EQ(harness_.shell.executed.size(), 1u);
  EXPECT_EQ(harness_.shell.executed[0], "open /usr/bin/true -a \"b c\"");
  EXPECT_TRUE(harness_.windows.window->shown.empty());

  harness_.shell.result = hv::kUnexpectedType;
  launch.verb = "print";
  launch.file = "doc.txt";
  EXPECT_EQ(app_->AnswerRelay().Receive(launch).code(), hv::kDeclined);
  harness_.shell.result = hv::kCannotOpenFile;
  EXPECT_EQ(app_->AnswerRelay().Receive(launch).code(), hv::kDeclined);
  const auto& shown = harness_.windows.window->shown;
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(EntryIs(shown[0].entry, kEntryError, "Launch program",
                      "Cannot perform \"print\" on doc.txt"));
  EXPECT_STREQ(shown[1].entry.message.CStr(), "Unable to start doc.txt");
}

TEST_F(HouseDeskAppTest, OpenAndHideMainWindow) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(harness_.windows.windows_made, 1);
  app_->HideMainWindow();
  EXPECT_EQ(app_->OpenMainWindow().code(), hv::kOk);
  EXPECT_EQ(harness_.windows.windows_made, 1);
  EXPECT_EQ(harness_.windows.window->hides, 1);
  EXPECT_EQ(harness_.windows.window->restores, 1);
}

// A program folder <root>/prefix/bin with the help pages in <root>/prefix/share/hearthview/help.
std::string InstallHelpPages(const std::filesystem::path& root) {
  const std::filesystem::path help = root / "prefix/share/hearthview/help";
  std::filesystem::create_directories(help);
  std::filesystem::create_directories(root / "prefix/bin");
  for (const char* page : {"index.html", "main-window.html", "client-setup.html",
                           "command-files.html", "send-x10-code.html"}) {
    std::ofstream(help / page) << "<html></html>";
  }
  return (root / "prefix/bin/hearthview").string();
}

TEST_F(HouseDeskAppTest, HelpOpensTheTopicPageNextToTheProgram) {
  const std::string program = InstallHelpPages(folders_.Root());
  harness_.environment.program_path = program;
  ASSERT_TRUE(Start());
  EXPECT_EQ(app_->ShowHelp(1060).code(), hv::kOk);
  EXPECT_EQ(app_->ShowHelp(eHelpRequest::kContext, 0x20000 + 1039).code(), hv::kOk);
  EXPECT_EQ(app_->ShowHelp(eHelpRequest::kIndex, 0).code(), hv::kOk);
  EXPECT_EQ(app_->ShowHelp(eHelpRequest::kClose, 0).code(), hv::kDeclined);
  ASSERT_EQ(harness_.shell.opened.size(), 3u);
  const std::string folder =
      "file://" + (folders_.Root() / "prefix/bin/../share/hearthview/help/").string();
  EXPECT_EQ(harness_.shell.opened[0], folder + "command-files.html#1060");
  EXPECT_EQ(harness_.shell.opened[1], folder + "client-setup.html#1039");
  EXPECT_EQ(harness_.shell.opened[2], folder + "index.html");

  harness_.shell.result = hv::kCannotOpenFile;
  EXPECT_EQ(app_->ShowHelp(1000).code(), hv::kCannotOpenFile);
  ASSERT_EQ(harness_.Boxes().size(), 1u);
}

TEST_F(HouseDeskAppTest, MissingHelpPagesAreNamedInsteadOfHandedToTheBrowser) {
  // The harness's program folder has no help pages beside it.
  ASSERT_TRUE(Start());
  EXPECT_EQ(app_->ShowHelp(eHelpRequest::kContext, 1039).code(), hv::kCannotOpenFile);
  EXPECT_TRUE(harness_.shell.opened.empty());
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  const std::string text = harness_.Boxes()[0].text.CStr();
  EXPECT_NE(text.find("The help pages are not installed"), std::string::npos) << text;
  EXPECT_NE(text.find("client-setup.html"), std::string::npos) << text;
}

TEST_F(HouseDeskAppTest, HelpWithoutAnOpenerNamesThePageToOpenByHand) {
  cSpawnShell shell;  // the real one, with nothing on PATH that opens pages
  harness_.environment.shell = &shell;
  const std::string program = InstallHelpPages(folders_.Root());
  harness_.environment.program_path = program;
  const char* path = std::getenv("PATH");
  const std::string old_path = path != nullptr ? path : "";
  setenv("PATH", (folders_.Root() / "empty").c_str(), 1);
  CHouseDeskApp app(harness_.environment);  // made after the shell it is given, so gone first
  ASSERT_TRUE(app.InitInstance());
  const int32_t rc = app.ShowHelp(eHelpRequest::kContext, 0x20000 + 1039).code();
  setenv("PATH", old_path.c_str(), 1);

  EXPECT_EQ(rc, hv::kNoOpener);
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  const std::string text = harness_.Boxes()[0].text.CStr();
  EXPECT_NE(text.find("No program to open web pages was found"), std::string::npos) << text;
  EXPECT_NE(
      text.find((folders_.Root() / "prefix/share/hearthview/help/client-setup.html").string()),
      std::string::npos)
      << text;
  EXPECT_STREQ(harness_.Boxes()[0].caption.CStr(), "Help");
}

TEST_F(HouseDeskAppTest, TerminationSignalEndsThroughTheFrame) {
  ASSERT_TRUE(Start());
  ASSERT_EQ(app_->WatchTerminationSignals().code(), hv::kOk);
  ASSERT_EQ(raise(SIGTERM), 0);
  harness_.loop.Pump(0);
  EXPECT_EQ(harness_.windows.frame->exits, 1);
  ASSERT_EQ(raise(SIGINT), 0);
  harness_.loop.Pump(0);
  EXPECT_EQ(harness_.windows.frame->exits, 2);
  // One more while the program writes what it keeps is absorbed: without the watch, it would
  // end this test's process.
  app_->ExitInstance();
  ASSERT_EQ(raise(SIGTERM), 0);
  harness_.loop.Pump(0);
  EXPECT_EQ(harness_.quits, 0);
}

// A window factory whose main window start-up is interrupted by a termination signal, as
// when the user's session ends while the setup dialog is open.
class cSignalDuringStartFactory : public hv::test::cRecordingWindowFactory {
 public:
  std::unique_ptr<cAppMainWindow> CreateMainWindow(CHouseDeskApp& app) override {
    raise(SIGTERM);
    app.EventLoop().Pump(0);
    return hv::test::cRecordingWindowFactory::CreateMainWindow(app);
  }
};

TEST_F(HouseDeskAppTest, TerminationSignalDuringStartUpSavesSettingsAndEnds) {
  cSignalDuringStartFactory windows;
  harness_.environment.windows = &windows;
  int ended_with = 0;
  const std::string history_path = (folders_.Home() / "history.db").string();
  size_t history_written = 0;
  harness_.environment.end_process = [&](int signal_number) {
    ended_with = signal_number;
    // The process ends here, skipping every destructor: what the history had queued must be
    // in its file by now.
    hv::Status status;
    auto store = hv::history::HistoryStore::Open(history_path, "house:1", &status);
    if (store != nullptr) history_written = store->Events(0, INT64_MAX, {}, 10).size();
  };
  CHouseDeskApp app(harness_.environment);  // made after its window factory, so gone first
  hv::history::HistoryDeskServices history_services;
  history_services.toolkit = &harness_.toolkit;
  history_services.path = history_path;
  hv::history::HistoryDesk history(std::move(history_services));
  app.SetHistory(&history);
  history.Observer().ConnectionStarted("house:1");
  history.Flush();  // the store's first clean-up is done: the next batch waits its turn
  SwitchRecord porch;
  porch.name = "Porch Light";
  history.Observer().AnswerReceived(porch);
  ASSERT_EQ(app.WatchTerminationSignals().code(), hv::kOk);
  EXPECT_FALSE(app.InitInstance());
  app.SetHistory(nullptr);
  EXPECT_EQ(ended_with, SIGTERM);
  EXPECT_TRUE(fs::exists(folders_.SettingsFile()));
  EXPECT_EQ(history_written, 1u);
}

TEST_F(HouseDeskAppTest, ExitWithoutFrameUsesQuit) {
  harness_.environment.windows = nullptr;
  ASSERT_TRUE(Start());
  app_->RequestExit();
  EXPECT_EQ(harness_.quits, 1);
}

TEST_F(HouseDeskAppTest, CommandFilePolledWithoutConnectionIsRemovedAndReported) {
  ASSERT_TRUE(Start());
  const fs::path command = folders_.Home() / "VHCmd.txt";
  std::ofstream(command) << "switch Porch on\n";
  EXPECT_EQ(app_->PollCommandFileMonitor().code(), hv::kDeclined);  // first sight
  EXPECT_EQ(app_->PollCommandFileMonitor().code(), hv::kOk);
  EXPECT_FALSE(fs::exists(command));
  ASSERT_EQ(app_->ActivityItems().Count(), 1u);
  EXPECT_EQ(app_->ActivityItems().At(0)->Entry().entry_type, kEntryError);
  EXPECT_EQ(ReadText(folders_.Home() / "VHCmdResponse.txt").rfind("ERROR ", 0), 0u);

  app_->ClientStorage()->Monitor()->enabled = 0;
  std::ofstream(command) << "switch Porch on\n";
  EXPECT_EQ(app_->PollCommandFileMonitor().code(), hv::kDeclined);
  EXPECT_EQ(app_->PollCommandFileMonitor().code(), hv::kDeclined);
  EXPECT_TRUE(fs::exists(command));
}

TEST_F(HouseDeskAppTest, CommandResponseLandsAtTheConfiguredPath) {
  ASSERT_TRUE(Start());
  // The response as the connection stores it in the data folder, then hands it on.
  const auto receive = [&](const char* received_name, const char* stored_name, const char* text) {
    const fs::path stored = folders_.DataFolder() / stored_name;
    std::ofstream(stored) << text;
    return app_->AnswerRelay()
        .Receive(CommandResponseStoredRecord{received_name, stored.string()})
        .code();
  };
  EXPECT_EQ(receive("C:\\VHCmdResponse.txt", "VHCmdResponse.txt", "OK mute on\r\n"), hv::kOk);
  EXPECT_EQ(ReadText(folders_.Home() / "VHCmdResponse.txt"), "OK mute on\r\n");

  EXPECT_EQ(receive("/etc/other.txt", "other.txt", "x"), hv::kDeclined);
  EXPECT_TRUE(fs::exists(folders_.DataFolder() / "other.txt"));
  EXPECT_TRUE(app_->ActivityItems().Empty());
}

}  // namespace

}  // namespace hv
