// A client's whole application object on the in-memory toolkit and a fake clock, with a poll
// loop that also serves an in-process housesim. The client logs in to it automatically as it
// starts; a test can take the server away and start another on the same port.
#ifndef HV_TESTS_HEADLESS_DESK_SESSION_H_
#define HV_TESTS_HEADLESS_DESK_SESSION_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "client/platform/testing/fake_clock.h"
#include "client/shell/app/desk_window_factory.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_tray_area.h"
#include "tests/desk_session_support.h"
#include "tests/in_process_sim.h"

namespace hv {

namespace test {

class DeskSessionTest : public ::testing::Test {
 protected:
  // With a tray on the desktop, the main window's close box hides the window rather than
  // ending the program.
  explicit DeskSessionTest(bool desktop_has_tray = false)
      : windows_([] {}, desktop_has_tray ? &tray_ : nullptr) {}

  void SetUp() override {
    StartServer(0);
    environment_.program_path = "/opt/hearthview/bin/hearthview";
    WriteAutoLogin(sim_->server.port());
  }
  void TearDown() override {
    app_.reset();
    loop_.server = nullptr;
  }

  void StartServer(uint16_t port) {
    sim_ = std::make_unique<cSimServer>(port);
    loop_.server = &sim_->server;
  }
  // The server is gone, with or without the Goodbye the test had it say.
  void ForgetServer() {
    loop_.server = nullptr;
    sim_.reset();
  }
  // The application object starts, and with it the automatic login.
  void StartApp() {
    app_ = std::make_unique<CHouseDeskApp>(environment_);
    ASSERT_TRUE(app_->InitInstance());
  }

  // Pumps the client's loop, and with it the server, until `done`. What the server logged
  // explains a failure.
  bool PumpUntil(const std::function<bool()>& done, int rounds = 4000) {
    for (int i = 0; i < rounds; ++i) {
      loop_.Pump(i % 50 == 49 ? 1 : 0);
      if (done()) return true;
    }
    if (sim_ != nullptr) {
      for (const std::string& line : sim_->log_lines) std::printf("housesim: %s\n", line.c_str());
    }
    return false;
  }

  CHouseDeskDlg* Dlg() { return MainDlg(*app_); }
  template <class View>
  View* Tabbed(const char* name) {
    return TabbedView<View>(*app_, name);
  }

  cTemporaryUserFolders folders_;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cServerDrivenLoop loop_{clock_};
  cRecordingShell shell_;
  cHeadlessTrayArea tray_;
  cDeskWindowFactory windows_;
  cAppEnvironment environment_{toolkit_, clock_, loop_, shell_, &windows_};
  std::unique_ptr<cSimServer> sim_;
  std::unique_ptr<CHouseDeskApp> app_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_HEADLESS_DESK_SESSION_H_
