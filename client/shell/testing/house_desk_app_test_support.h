// Test support for the application object: a fresh set of user folders per test (never the
// real user's), a fake main window and frame that record what the application asks of
// them, and one bundle of the in-memory toolkit, fake clock and poll event loop.
#ifndef HV_CLIENT_SHELL_TESTING_HOUSE_DESK_APP_TEST_SUPPORT_H_
#define HV_CLIENT_SHELL_TESTING_HOUSE_DESK_APP_TEST_SUPPORT_H_

#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "client/platform/poll_event_loop.h"
#include "client/platform/shell.h"
#include "client/platform/testing/fake_clock.h"
#include "client/shell/app/app_main_frame.h"
#include "client/shell/app/app_main_window.h"
#include "client/shell/app/app_window_factory.h"
#include "client/shell/app/house_desk_app.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/views/log/activity_items.h"
#include "core/profile/profile.h"
#include "core/status.h"
#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace test {

// Writes one "Client Settings" value of the test's profile, as the setup dialog would store it.
inline void WriteClientSetting(const char* name, uint32_t number) {
  ASSERT_TRUE(
      WriteProfile("Orvane LLC", "Varnholt", "Client Settings", name, &number, kProfileNumber)
          .ok());
}
inline void WriteClientSetting(const char* name, const char* text) {
  ASSERT_TRUE(
      WriteProfile("Orvane LLC", "Varnholt", "Client Settings", name, text, kProfileText).ok());
}

// A text value of the test's profile as the program stored it, or "<none>" when there is none.
inline std::string ReadSetting(const char* section, const char* name) {
  char buffer[512];
  if (!ReadProfileString("Orvane LLC", "Varnholt", section, name, "<none>", buffer, sizeof buffer)
           .ok()) {
    return "<none>";
  }
  return buffer;
}

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and TMPDIR at a new folder for the life of the
// object, and puts them back afterwards.
class cTemporaryUserFolders {
 public:
  cTemporaryUserFolders() {
    if (folder_.path().empty()) return;
    root_ = folder_.path();
    std::filesystem::create_directories(root_ / "config");
    std::filesystem::create_directories(root_ / "data");
    std::filesystem::create_directories(root_ / "tmp");
    env_.emplace_back("HOME", root_.string());
    env_.emplace_back("XDG_CONFIG_HOME", (root_ / "config").string());
    env_.emplace_back("XDG_DATA_HOME", (root_ / "data").string());
    env_.emplace_back("TMPDIR", (root_ / "tmp").string());
  }
  ~cTemporaryUserFolders() {
    env_.clear();
    std::error_code ignored;
    // The application made its data folder current; leave it before it goes.
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
  }
  cTemporaryUserFolders(const cTemporaryUserFolders&) = delete;
  cTemporaryUserFolders& operator=(const cTemporaryUserFolders&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Home() const { return root_; }
  std::filesystem::path DataFolder() const { return root_ / "data" / "Varnholt"; }
  std::filesystem::path SettingsFile() const {
    return root_ / "config" / "Varnholt" / "VHClientSettings.txt";
  }

 private:
  cTempFolder folder_{"hv_app"};
  std::filesystem::path root_;
  std::list<hv::test::cScopedEnv> env_;  // a list: its entries never move
};

// Records what the application asks of its main window.
class cRecordingMainWindow : public cAppMainWindow, public cAnswerReceiver {
 public:
  struct Shown {
    LogItemRecord entry;
    CActivityItem* item;
  };
  cAnswerReceiver& Answers() override { return *this; }
  void OpenSetup() override { ++setups; }
  void Restore() override { ++restores; }
  void Hide() override { ++hides; }
  hv::Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) override {
    shown.push_back({entry, item});
    return hv::Status::Ok();
  }
  void ForgetActivityItem(const CActivityItem* item) override { forgotten.push_back(item); }
  bool IsReady() const override { return true; }
  bool IsClosing() const override { return false; }
  void PollChildren() override { ++polls; }
  void StepServerClock() override { ++clock_steps; }
  Status Reconnect() override { return Status::Ok(); }
  void WriteMainWindowValues() override {}
  // Takes switch statuses, for the tests that follow them; declines the rest.
  Status Receive(const Answer& answer) override {
    const auto* status = std::get_if<SwitchStatusRecord>(&answer);
    if (status == nullptr) return Status::Declined(Where::kUi);
    switch_statuses.push_back(*status);
    return Status::Ok();
  }

  int restores = 0;
  int setups = 0;
  int polls = 0;
  int clock_steps = 0;
  std::vector<StatusChangeRecord> switch_statuses;
  int hides = 0;
  std::vector<Shown> shown;
  std::vector<const CActivityItem*> forgotten;
};

class cRecordingMainFrame : public cAppMainFrame {
 public:
  void StartFlash() override { ++flashes; }
  void Exit() override { ++exits; }
  bool HasTrayIcon() const override { return false; }
  bool TrayAvailable() const override { return false; }
  int flashes = 0;
  int exits = 0;
};

// Makes recording windows and keeps pointers to them (owned by the application).
class cRecordingWindowFactory : public cAppWindowFactory {
 public:
  std::unique_ptr<cAppMainFrame> CreateMainFrame(CHouseDeskApp&) override {
    if (!make_frame) return nullptr;
    auto made = std::make_unique<cRecordingMainFrame>();
    frame = made.get();
    return made;
  }
  std::unique_ptr<cAppMainWindow> CreateMainWindow(CHouseDeskApp&) override {
    auto made = std::make_unique<cRecordingMainWindow>();
    window = made.get();
    ++windows_made;
    return made;
  }
  bool make_frame = true;
  cRecordingMainFrame* frame = nullptr;
  cRecordingMainWindow* window = nullptr;
  int windows_made = 0;
};

// Records what is opened instead of starting anything.
class cRecordingShell : public cShell {
 public:
  hv::Status Open(const char* file_or_url) override {
    opened.emplace_back(file_or_url != nullptr ? file_or_url : "");
    return hv::Status(hv::Where::kUi, result);
  }
  hv::Status Execute(const char* verb, const char* file, const char* parameters, const char*,
                     int32_t) override {
    opened.emplace_back(file != nullptr ? file : "");
    executed.push_back(std::string(verb != nullptr ? verb : "") + " " +
                       (file != nullptr ? file : "") + " " +
                       (parameters != nullptr ? parameters : ""));
    return hv::Status(hv::Where::kUi, result);
  }
  std::vector<std::string> opened;
  std::vector<std::string> executed;  // "verb file parameters"
  int32_t result = hv::kOk;
};

// The whole environment of a test's application object.
struct cAppHarness {
  cAppHarness() : loop(clock), environment(toolkit, clock, loop, shell, &windows) {
    environment.program_path = "/opt/hearthview/bin/hearthview";
    environment.quit = [this] { ++quits; };
  }
  const std::vector<cHeadlessMessageBox::cShown>& Boxes() {
    return toolkit.HeadlessMessageBox().Shown();
  }

  cHeadlessToolkit toolkit;
  cFakeClock clock;
  cPollEventLoop loop;
  cRecordingShell shell;
  cRecordingWindowFactory windows;
  cAppEnvironment environment;
  int quits = 0;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TESTING_HOUSE_DESK_APP_TEST_SUPPORT_H_
