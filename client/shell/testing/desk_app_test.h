// A test of the program's own main window and frame, in the in-memory toolkit: user folders
// of its own, the application harness, a tray area, and the window factory the program uses.
// A test prepares what it needs, then starts the application.
#ifndef HV_CLIENT_SHELL_TESTING_DESK_APP_TEST_H_
#define HV_CLIENT_SHELL_TESTING_DESK_APP_TEST_H_

#include <gtest/gtest.h>

#include <memory>

#include "client/shell/app/desk_window_factory.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_tray_area.h"
#include "client/ui/headless/headless_window.h"

namespace hv {

namespace test {

class cDeskAppTest : public ::testing::Test {
 protected:
  cDeskAppTest() { harness_.environment.windows = &factory_; }
  // The application goes first: its windows hold on to what the fixture made.
  void TearDown() override { app_.reset(); }

  // Makes the application and runs its start-up.
  void StartApp() {
    app_ = std::make_unique<CHouseDeskApp>(harness_.environment);
    ASSERT_TRUE(app_->InitInstance());
  }
  CHouseDeskDlg* Dlg() { return dynamic_cast<CHouseDeskDlg*>(app_->MainWindow()); }
  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(app_->MainFrame()); }
  cHeadlessWindow& Win() { return static_cast<cHeadlessWindow&>(*Dlg()->Window()); }

  cTemporaryUserFolders folders_;
  cAppHarness harness_;
  cHeadlessTrayArea tray_;
  int quits_ = 0;  // the program's ends
  cDeskWindowFactory factory_{[this] { ++quits_; }, &tray_};
  std::unique_ptr<CHouseDeskApp> app_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TESTING_DESK_APP_TEST_H_
