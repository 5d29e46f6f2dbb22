// The frame drives whatever main window the application has through its interface alone.
#include "client/shell/main_frame.h"

#include <gtest/gtest.h>

#include "client/shell/testing/house_desk_app_test_support.h"

namespace {

TEST(MainFrameTest, TicksPollTheViewsAndStepTheServerClockOfAnyMainWindow) {
  hvtest::cTemporaryUserFolders folders;
  hvtest::cAppHarness harness;
  CHouseDeskApp app(harness.environment);
  ASSERT_TRUE(app.InitInstance());
  hvtest::cRecordingMainWindow* window = harness.windows.window;
  ASSERT_NE(window, nullptr);

  int quits = 0;
  CMainFrame frame(app, [&] { ++quits; }, nullptr);
  frame.Start();
  frame.Tick();
  EXPECT_EQ(window->polls, 1);
  EXPECT_EQ(window->clock_steps, 0);  // not a second yet
  harness.clock.Advance(CMainFrame::kClockStepMs);
  frame.Tick();
  EXPECT_EQ(window->polls, 2);
  EXPECT_EQ(window->clock_steps, 1);

  // Busy application: the tick does nothing.
  app.SetAppBusy(true);
  harness.clock.Advance(CMainFrame::kClockStepMs);
  frame.Tick();
  EXPECT_EQ(window->polls, 2);
  app.SetAppBusy(false);

  EXPECT_FALSE(frame.HasTrayIcon());  // no tray hooks
  frame.Exit();
  frame.Exit();
  EXPECT_EQ(quits, 1);
  EXPECT_FALSE(frame.IsRunning());
}

}  // namespace
