// The main window on the real Qt widgets (offscreen): the program's own toolkit, event loop
// and clock. Checks what the in-memory toolkit cannot: that the views live inside the main
// window rather than in windows of their own, and that the window shows and ends cleanly.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>

#include "client/shell/desk_window_factory.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/shell/house_desk_dlg.h"
#include "client/shell/house_desk_layout.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/platform/system_clock.h"

namespace {

int VisibleTopLevelWindows() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) ++count;
  }
  return count;
}

TEST(MainWindowQtTest, OneWindowWithItsViewsInsideAndAClosingExit) {
  hvtest::cTemporaryUserFolders folders;
  cQtToolkit toolkit;
  cSystemClock clock;
  cQtEventLoop loop;
  hvtest::cRecordingShell shell;
  int quits = 0;
  cDeskWindowFactory windows([&quits] { ++quits; });
  cAppEnvironment environment;
  environment.toolkit = &toolkit;
  environment.clock = &clock;
  environment.event_loop = &loop;
  environment.shell = &shell;
  environment.windows = &windows;
  // No automatic login: the setup dialog opens at start; the user cancels it.
  toolkit.QueueModalScript([](cWindow& setup) { setup.EndDialog(kResultCancel); });
  {
    CHouseDeskApp app(environment);
    ASSERT_TRUE(app.InitInstance());
    auto* dlg = dynamic_cast<CHouseDeskDlg*>(app.MainWindow());
    ASSERT_NE(dlg, nullptr);
    loop.Pump(0);
    EXPECT_TRUE(dlg->Window()->IsVisible());
    EXPECT_EQ(VisibleTopLevelWindows(), 1);
    cTabChildDlg* switches = dlg->Arrangement().Views().Find("Switches", kPlacementTab);
    ASSERT_NE(switches, nullptr);
    EXPECT_TRUE(switches->Window()->IsVisible());
    EXPECT_EQ(switches->Window()->WindowRect(),
              dlg->Window()->TabControl(desk::kTabControl)->DisplayArea());
    EXPECT_TRUE(dlg->Arrangement().TopView()->Window()->IsVisible());

    dlg->OnCommand(desk::kExit, eCommandEvent::kClicked);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(dlg->Window()->IsVisible());
    app.ExitInstance();
  }
  EXPECT_EQ(VisibleTopLevelWindows(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
