// The main window on the real Qt widgets (offscreen): the program's own toolkit, event loop
// and clock. Checks what the in-memory toolkit cannot: that the views live inside the main
// window rather than in windows of their own, and that the window shows and ends cleanly.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QWidget>

#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_tray_area.h"
#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_tab_control.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/fixed_tabs.h"
#include "core/profile/profile.h"
#include "tests/desk_session_support.h"
#include "tests/qt_program_parts.h"
#include "tests/qt_windows.h"

namespace hv {

namespace {

using hv::test::VisibleTopLevelWindows;

// Starts the program with no automatic login: the setup dialog opens at start, the user
// cancels it, and the main window's first events are handled.
void StartCancellingTheSetup(hv::test::cQtParts& qt, CHouseDeskApp& app) {
  qt.toolkit.QueueModalScript([](cWindow& setup) { setup.EndDialog(kResultCancel); });
  ASSERT_TRUE(app.InitInstance());
  ASSERT_NE(hv::test::MainDlg(app), nullptr);
  qt.loop.Pump(0);
}

TEST(MainWindowQtTest, OneWindowWithItsViewsInsideAndAClosingExit) {
  hv::test::cTemporaryUserFolders folders;
  hv::test::cQtParts qt;
  {
    CHouseDeskApp app(qt.Environment());
    ASSERT_NO_FATAL_FAILURE(StartCancellingTheSetup(qt, app));
    CHouseDeskDlg* dlg = hv::test::MainDlg(app);
    EXPECT_TRUE(dlg->Window()->IsVisible());
    EXPECT_EQ(VisibleTopLevelWindows(), 1);
    cTabChildDlg* switches = dlg->Arrangement().Views().Find("Switches", kPlacementTab);
    ASSERT_NE(switches, nullptr);
    EXPECT_TRUE(switches->Window()->IsVisible());
    EXPECT_EQ(switches->Window()->WindowRect(),
              dlg->Window()->TabControl(desk::kTabControl)->DisplayArea());
    EXPECT_TRUE(dlg->Arrangement().TopView()->Window()->IsVisible());

    dlg->OnCommand(desk::kExit, eCommandEvent::kClicked);
    EXPECT_EQ(qt.quits, 1);
    EXPECT_FALSE(dlg->Window()->IsVisible());
    app.ExitInstance();
  }
  EXPECT_EQ(VisibleTopLevelWindows(), 0);
}

TEST(MainWindowQtTest, SavedVideoTabEscapeInAListAndAnAccessibleToggleOnTheRealWindow) {
  hv::test::cTemporaryUserFolders folders;
  // The tab saved last time was a camera's, and there is no connection to bring it back.
  uint32_t saved_tab = hv::test::VideoTabCode(2);
  ASSERT_TRUE(WriteProfile("Orvane LLC", "Varnholt", "Main Window", "Current Tab View", &saved_tab,
                           kProfileNumber)
                  .ok());
  cHeadlessTrayArea tray;  // a desktop with a tray, so the window may hide
  hv::test::cQtParts qt(&tray);
  CHouseDeskApp app(qt.Environment());
  ASSERT_NO_FATAL_FAILURE(StartCancellingTheSetup(qt, app));
  CHouseDeskDlg* dlg = hv::test::MainDlg(app);
  cTabChildDlgList& views = dlg->Arrangement().Views();
  QTabBar* bar = static_cast<cQtTabControl*>(dlg->Window()->TabControl(desk::kTabControl))->Bar();

  // The Activity Log stands in, selected and shown, and answers a click on another tab.
  EXPECT_EQ(bar->tabText(bar->currentIndex()), QStringLiteral("Activity Log"));
  EXPECT_TRUE(views.Find("Activity Log", kPlacementTab)->Window()->IsVisible());
  EXPECT_FALSE(views.Find("Switches", kPlacementTab)->Window()->IsVisible());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(static_cast<cQtWindow*>(dlg->Window())->Dialog()));
  const int32_t switches_tab =
      hv::test::TabIndexOfKind(*dlg->Window()->TabControl(desk::kTabControl), ViewKind::kSwitches);
  ASSERT_GE(switches_tab, 0);
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(switches_tab).center());
  cTabChildDlg* switches = views.Find("Switches", kPlacementTab);
  EXPECT_TRUE(switches->Window()->IsVisible());
  EXPECT_FALSE(views.Find("Activity Log", kPlacementTab)->Window()->IsVisible());

  // Pause toggled as a screen reader does: the question comes, and No takes it back.
  QWidget* pause =
      dynamic_cast<cQtWidgetHolder*>(dlg->Window()->Control(desk::kPauseMacros))->Widget();
  qt.toolkit.QtMessageBox().QueueAnswer(cMessageBoxAnswer::kNo);
  QAccessible::queryAccessibleInterface(pause)->actionInterface()->doAction(
      QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(qt.toolkit.QtMessageBox().ShownCount(), 1);
  EXPECT_EQ(dlg->Window()->Button(desk::kPauseMacros)->GetCheck(), 0);

  // Escape in the switches list: the window's close-box rule (with a tray: hide the
  // window), and the view itself stays in place for when the window comes back.
  QTableView* list =
      static_cast<cQtReportList*>(switches->Window()->Control(kSwitchListId))->View();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_TRUE(switches->Window()->IsVisible());
  EXPECT_FALSE(dlg->Window()->IsVisible());
  EXPECT_EQ(qt.quits, 0);
  EXPECT_TRUE(app.OpenMainWindow().ok());
  EXPECT_TRUE(dlg->Window()->IsVisible());
  EXPECT_TRUE(switches->Window()->IsVisible());
  app.ExitInstance();
}

}  // namespace

}  // namespace hv
