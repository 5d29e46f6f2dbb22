// The hidden frame: it drives whatever main window the application has through its
// interface alone; and its tray icon through a whole application object: the icon as the
// "Tray Icon Type" setting asks, its flashing when activity entries arrive, its menu and
// double click, the trace of its callbacks, and a desktop without a tray.
#include "client/shell/app/main_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/protocol/log_item_record.h"
#include "client/shell/app/desk_window_factory.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/setup/dlg_client_setup.h"
#include "client/shell/testing/desk_app_test.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/shell/tray/tray_favourites.h"
#include "client/ui/headless/headless_tray_area.h"
#include "client/ui/headless/headless_window.h"
#include "core/profile/profile.h"

namespace hv {

namespace {

TEST(MainFrameTest, TicksPollTheViewsAndStepTheServerClockOfAnyMainWindow) {
  hv::test::cTemporaryUserFolders folders;
  hv::test::cAppHarness harness;
  CHouseDeskApp app(harness.environment);
  ASSERT_TRUE(app.InitInstance());
  hv::test::cRecordingMainWindow* window = harness.windows.window;
  ASSERT_NE(window, nullptr);

  int quits = 0;
  CMainFrame frame(
      FrameServicesOf(app), [&] { ++quits; }, nullptr);
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

  EXPECT_FALSE(frame.HasTrayIcon());  // no tray at all
  frame.Exit();
  frame.Exit();
  EXPECT_EQ(quits, 1);
  EXPECT_FALSE(frame.IsRunning());
}

// No automatic login: the setup dialog opens at start and is cancelled.
class MainFrameTrayTest : public hv::test::cDeskAppTest {
 protected:
  void Start(uint32_t tray_icon_type = 2) {
    ASSERT_NO_FATAL_FAILURE(hv::test::WriteClientSetting("Tray Icon Type", tray_icon_type));
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_NE(Frame(), nullptr);
  }
  // One timer period passes; the frame ticks.
  void Tick() {
    harness_.clock.Advance(CMainFrame::kTimerPeriodMs);
    harness_.loop.Pump(0);
  }
  void NewEntry() {
    EXPECT_EQ(
        app_->AddLogEntry(MakeClientEntry(kEntryX10Sensor, 0, 0, "Porch", "Motion"), true, true)
            .code(),
        hv::kOk);
  }
  // The resource whose picture the tray shows now (0: no icon).
  uint32_t ShownPicture() {
    const cHeadlessTrayArea::cIcon* icon = tray_.Icon(kTrayIconId);
    if (icon == nullptr) return 0;
    return icon->tip == "Varnholt (TM)" ? kTrayImageQuiet : kTrayImageNoticed;
  }
  // The pictures of twelve ticks after an entry: ten changes, then the quiet one stays.
  static std::vector<uint32_t> TenFlashesThenQuiet() {
    const uint32_t q = kTrayImageQuiet;
    const uint32_t n = kTrayImageNoticed;
    return {n, q, n, q, n, q, n, q, n, q, q, q};
  }
};

TEST_F(MainFrameTrayTest, AnEntryFlashesTheIconForTenTicksEndingOnTheQuietPicture) {
  Start();
  EXPECT_EQ(ShownPicture(), kTrayImageQuiet);
  EXPECT_TRUE(Frame()->HasTrayIcon());
  Tick();
  EXPECT_EQ(ShownPicture(), kTrayImageQuiet);  // nothing happened yet

  NewEntry();
  std::vector<uint32_t> pictures;
  for (int i = 0; i < 12; ++i) {
    Tick();
    pictures.push_back(ShownPicture());
  }
  EXPECT_EQ(pictures, TenFlashesThenQuiet());
}

// Desktop timers fire a little early or late: every tick of the flash still changes the
// picture, rather than every other tick finding less than 500 ms since the last change.
TEST_F(MainFrameTrayTest, TicksThatArriveEarlyOrLateStillAlternateTenTimes) {
  Start();
  for (const std::vector<uint32_t>& gaps :
       {std::vector<uint32_t>{475}, std::vector<uint32_t>{475, 525}, std::vector<uint32_t>{510}}) {
    SCOPED_TRACE(::testing::PrintToString(gaps));
    NewEntry();
    std::vector<uint32_t> pictures;
    for (size_t i = 0; i < 12; ++i) {
      harness_.clock.Advance(gaps[i % gaps.size()]);
      Frame()->Tick();
      pictures.push_back(ShownPicture());
    }
    EXPECT_EQ(pictures, TenFlashesThenQuiet());
  }
}

TEST_F(MainFrameTrayTest, EntriesInARowStartTheCycleAgainAndItStillEndsQuiet) {
  Start();
  NewEntry();
  Tick();
  Tick();
  Tick();  // three ticks in: the noticing picture shows
  EXPECT_EQ(ShownPicture(), kTrayImageNoticed);
  NewEntry();
  NewEntry();
  int changes = 0;
  uint32_t last = ShownPicture();
  for (int i = 0; i < 20; ++i) {
    Tick();
    if (ShownPicture() != last) ++changes;
    last = ShownPicture();
  }
  // A full cycle of ten from the last entry, which began on the noticing picture and so
  // needs one more change to end on the quiet one.
  EXPECT_EQ(changes, 11);
  EXPECT_EQ(ShownPicture(), kTrayImageQuiet);
  EXPECT_EQ(Frame()->CurrentTrayImage(), kTrayImageQuiet);
}

TEST_F(MainFrameTrayTest, AStaticIconNeverChangesItsPicture) {
  Start(1);
  const int changes = tray_.Changes();
  NewEntry();
  for (int i = 0; i < 12; ++i) {
    Tick();
    EXPECT_EQ(ShownPicture(), kTrayImageQuiet);
  }
  EXPECT_EQ(tray_.Changes(), changes);
}

TEST_F(MainFrameTrayTest, NoIconWithTypeNoneAndClosingTheWindowEndsTheProgram) {
  Start(0);
  EXPECT_EQ(tray_.IconCount(), 0u);
  EXPECT_FALSE(Frame()->HasTrayIcon());
  EXPECT_FALSE(Win().Control(desk::kHide)->IsVisible());
  NewEntry();
  Tick();
  EXPECT_EQ(tray_.IconCount(), 0u);
  Win().PressEscape();
  EXPECT_EQ(quits_, 1);
}

TEST_F(MainFrameTrayTest, TheIconMenuOpensHidesShowsAboutAndExits) {
  Start();
  EXPECT_TRUE(Win().Control(desk::kHide)->IsVisible());
  harness_.toolkit.QueueMenuAnswer(kTrayCommandHide);
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  EXPECT_FALSE(Win().IsVisible());
  // A double click is the first entry: the window comes back.
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageLeftButtonDoubleClick));
  EXPECT_TRUE(Win().IsVisible());

  harness_.toolkit.QueueMenuAnswer(kTrayCommandAbout);
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  ASSERT_FALSE(harness_.Boxes().empty());
  EXPECT_EQ(harness_.Boxes().back().caption, "About Varnholt (TM)");

  harness_.toolkit.QueueMenuAnswer(kTrayCommandExit);
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  EXPECT_EQ(quits_, 1);
  EXPECT_FALSE(Frame()->IsRunning());

  EXPECT_EQ(std::string(Frame()->TrayTrace().CStr()),
            "Tray notification: ID=134, lEvent=0x0205 WM_RBUTTONUP\r\n"
            "Tray notification: ID=134, lEvent=0x0203 WM_LBUTTONDBLCLK\r\n"
            "Tray notification: ID=134, lEvent=0x0205 WM_RBUTTONUP\r\n"
            "Tray notification: ID=134, lEvent=0x0205 WM_RBUTTONUP\r\n");
}

TEST_F(MainFrameTrayTest, FavouritesTopTheMenuWithTheStatusTheServerLastReported) {
  Start();
  // No favourites: the menu is the icon's own four entries and the History window's.
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  ASSERT_EQ(harness_.toolkit.LastMenuItems().size(), 5u);
  EXPECT_EQ(harness_.toolkit.LastMenuItems()[0].command, kTrayCommandOpen);

  ASSERT_TRUE(app_->Favourites().SetFavourite(eFavouriteKind::kSwitch, "Porch", true));
  ASSERT_TRUE(app_->Favourites().SetFavourite(eFavouriteKind::kMacro, "Wake", true));
  StatusChangeRecord on;
  on.name = "Porch";
  on.status = 2;
  app_->AnswerRelay()
      .Receive(SwitchStatusRecord{on})
      .Ignore("only the tray menu is looked at here");
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  const auto& items = harness_.toolkit.LastMenuItems();
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0].text, "Porch");
  EXPECT_TRUE(items[0].checked);
  EXPECT_EQ(items[1].text, "Wake");
  EXPECT_FALSE(items[1].checked);
  EXPECT_EQ(items[2].command, 0);  // the separator
  EXPECT_EQ(items[3].command, kTrayCommandOpen);
  EXPECT_EQ(harness_.toolkit.LastMenuDefault(), kTrayCommandOpen);
  // Not connected: they show, but cannot be chosen, and a double click still opens.
  EXPECT_FALSE(items[0].enabled);
  EXPECT_EQ(app_->RunFavourite(cTrayFavourites::kFirstCommand).code(), 1);

  MacroStatusRecord running;
  running.name = "Wake";
  running.status = 3;
  app_->AnswerRelay().Receive(running).Ignore("only the tray menu is looked at here");
  on.status = 3;
  app_->AnswerRelay()
      .Receive(SwitchStatusRecord{on})
      .Ignore("only the tray menu is looked at here");
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  EXPECT_FALSE(harness_.toolkit.LastMenuItems()[0].checked);
  EXPECT_TRUE(harness_.toolkit.LastMenuItems()[1].checked);
}

TEST_F(MainFrameTrayTest, TheTraceNamesEveryMouseEventAndStaysBounded) {
  Start();
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageMouseMove));
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageMiddleButtonDoubleClick));
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, 0x400));
  EXPECT_EQ(std::string(Frame()->TrayTrace().CStr()),
            "Tray notification: ID=134, lEvent=0x0200 WM_MOUSEMOVE\r\n"
            "Tray notification: ID=134, lEvent=0x0209 WM_MBUTTONDBLCLK\r\n"
            "Tray notification: ID=134, lEvent=0x0400 (Unknown)\r\n");
  // A mouse that hovers over the icon for weeks does not grow the trace without end.
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageMouseMove));
  EXPECT_LE(Frame()->TrayTrace().GetLength(), CMainFrame::kTraceLimit);
  EXPECT_EQ(std::string(Frame()->TrayTrace().CStr()).rfind("Tray notification: ID=134", 0), 0u);
}

TEST_F(MainFrameTrayTest, ADesktopWithoutATrayKeepsTheWindowReachable) {
  tray_.SetAvailable(false);
  bool noted = false;
  harness_.toolkit.QueueModalScript([&noted](cHeadlessWindow& setup) {
    noted = setup.Control(kSetupNoTrayNote)->IsVisible();
    setup.PressEscape();
  });
  Start();
  EXPECT_TRUE(noted);  // the setup dialog says so
  EXPECT_FALSE(Frame()->HasTrayIcon());
  EXPECT_FALSE(Win().Control(desk::kHide)->IsVisible());
  Win().PressEscape();  // closing is ending, as with no icon at all
  EXPECT_EQ(quits_, 1);
}

TEST_F(MainFrameTrayTest, ATrayThatStartsLaterGetsTheIconAndTheSetupSaysNothing) {
  tray_.SetAvailable(false);
  Start();
  tray_.SetAvailable(true);
  EXPECT_TRUE(Frame()->HasTrayIcon());
  EXPECT_EQ(ShownPicture(), kTrayImageQuiet);
  bool noted = true;
  harness_.toolkit.QueueModalScript([&noted](cHeadlessWindow& setup) {
    noted = setup.Control(kSetupNoTrayNote)->IsVisible();
    setup.PressEscape();
  });
  ASSERT_TRUE(Win().Click(desk::kSetup));
  EXPECT_FALSE(noted);
}

TEST_F(MainFrameTrayTest, ATrayThatGoesAwayLeavesNothingToHideInto) {
  Start();
  tray_.SetAvailable(false);
  EXPECT_FALSE(Frame()->HasTrayIcon());
  ASSERT_TRUE(Win().Click(desk::kHide));
  EXPECT_TRUE(Win().IsVisible());
  Win().PressEscape();  // closing ends the program rather than hiding the window for good
  EXPECT_EQ(quits_, 1);
}

TEST_F(MainFrameTrayTest, ARestartedTrayShowsTheIconAgain) {
  Start();
  tray_.Restart();
  EXPECT_EQ(ShownPicture(), kTrayImageQuiet);
  // The flashing goes on in the new tray.
  NewEntry();
  Tick();
  EXPECT_EQ(ShownPicture(), kTrayImageNoticed);
}

}  // namespace

}  // namespace hv
