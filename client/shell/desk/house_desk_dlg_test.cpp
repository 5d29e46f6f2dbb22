#include "client/shell/desk/house_desk_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "client/picture/testing/sample_pictures.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/shell/app/desk_window_factory.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/dlg_client_setup.h"
#include "client/shell/testing/desk_app_test.h"
#include "client/shell/testing/desk_test_peer.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_tray_area.h"
#include "client/ui/headless/headless_window.h"
#include "client/ui/report_list.h"
#include "client/update/dlg_version_info.h"
#include "client/views/dialogs/dlg_adv_x10_send.h"
#include "client/views/log/dlg_child_log.h"
#include "client/views/log/log_entry_texts.h"
#include "client/views/testing/fixed_tabs.h"
#include "client/views/video/dlg_child_video.h"
#include "client/views/video/dlg_child_video_layout.h"
#include "core/profile/profile.h"
#include "core/testing/scoped_env.h"
#include "core/testing/text_file.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

using hv::test::cAppHarness;
using hv::test::cTemporaryUserFolders;
using hv::test::ReadSetting;

// What the window asks for, in order, each time it logs in.
const std::vector<uint32_t> kLoginRequests = {
    msg::kLogin,       msg::kGetSwitches,        msg::kGetSensors,      msg::kGetMacros,
    msg::kGetModes,    msg::kGetLightDark,       msg::kGetVideoSources, msg::kGetThumbnails,
    msg::kGetLogItems, msg::kGetControlFileName, msg::kGetClientQty,    msg::kGetServerTime,
    msg::kGetDawnDusk};

void WriteSetting(const char* section, const char* name, uint32_t number) {
  EXPECT_TRUE(WriteProfile("Orvane LLC", "Varnholt", section, name, &number, kProfileNumber).ok());
}
void WriteSetting(const char* section, const char* name, const char* text) {
  EXPECT_TRUE(WriteProfile("Orvane LLC", "Varnholt", section, name, text, kProfileText).ok());
}
uint32_t ReadNumber(const char* section, const char* name) {
  uint32_t value = 0xDEAD;
  ReadProfileNumber("Orvane LLC", "Varnholt", section, name, &value, 0xDEAD)
      .Ignore("0xDEAD shows a value never stored");
  return value;
}

// The user types a site on this machine into the setup dialog (and still has to press OK).
void TypeSite(cHeadlessWindow& setup, const char* name, uint32_t port, const char* user_name) {
  setup.Type(kSetupNameBox, name);
  setup.Type(kSetupAddress, "127.0.0.1");
  setup.Type(kSetupPort, std::to_string(port).c_str());
  setup.Type(kSetupUserName, user_name);
}

bool Has(const std::vector<uint32_t>& types, uint32_t type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

class HouseDeskDlgTest : public hv::test::cDeskAppTest {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  // Start-up with an automatic login to the peer (no setup dialog).
  void StartConnected() {
    WriteSetting("Client Settings", "Auto Login", 1);
    WriteSetting("Client Settings", "LoginAddress", "127.0.0.1");
    WriteSetting("Client Settings", "LoginPort", peer_.Port());
    WriteSetting("Client Settings", "LoginUserName", "alice");
    Start();
  }
  void Start() {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_NE(Dlg(), nullptr);
  }
  // The rows of the tabbed activity log view as "name|message", newest first.
  std::vector<std::string> LogRows() {
    std::vector<std::string> rows;
    cTabChildDlg* log = Dlg()->Arrangement().Views().Find("Activity Log", kPlacementTab);
    cReportList* list = log != nullptr ? log->Window()->ReportList(kLogList) : nullptr;
    for (int32_t row = 0; list != nullptr && row < list->RowCount(); ++row) {
      rows.push_back(std::string(list->CellText(row, kLogColumnNameId).CStr()) + "|" +
                     list->CellText(row, kLogColumnMessage).CStr());
    }
    return rows;
  }
  swString Text(int32_t id) { return Win().Control(id)->Text(); }
  int32_t Check(int32_t id) { return Win().Button(id)->GetCheck(); }
  // Lets time pass in timer periods, running the frame's ticks.
  void Wait(uint32_t ms) {
    for (uint32_t waited = 0; waited < ms; waited += CMainFrame::kTimerPeriodMs) {
      harness_.clock.Advance(CMainFrame::kTimerPeriodMs);
      harness_.loop.Pump(0);
    }
  }

  cDeskTestPeer peer_;
};

TEST_F(HouseDeskDlgTest, InitialisationSendsTheFirstRequestsInOrder) {
  StartConnected();
  EXPECT_EQ(peer_.TakeTypes(), kLoginRequests);
  EXPECT_TRUE(Dlg()->IsReady());
  EXPECT_EQ(Text(desk::kConnectionLabel), "IP Address:");
  swString connection;
  connection.Format("127.0.0.1:%u", peer_.Port());
  EXPECT_EQ(Text(desk::kConnectionText), connection);
  EXPECT_EQ(Win().Title(), swString("Varnholt (TM) Client - ") + connection);
  EXPECT_FALSE(Win().Control(desk::kLogOut)->IsVisible());
  EXPECT_FALSE(Win().Control(desk::kEmailSupport)->IsVisible());
  EXPECT_TRUE(Win().Control(desk::kHide)->IsVisible());
  ASSERT_EQ(Win().SystemMenuItems().size(), 1u);
  EXPECT_EQ(Win().SystemMenuItems()[0].command, desk::kAboutCommand);
  EXPECT_EQ(Win().SystemMenuItems()[0].text, "&About Varnholt (TM)...");
  EXPECT_FALSE(Win().Icon().IsEmpty());
  EXPECT_TRUE(Win().IsVisible());
  // Without an automatic login the setup dialog opened at once (and was cancelled here).
  EXPECT_EQ(harness_.Boxes().size(), 0u);
}

TEST_F(HouseDeskDlgTest, AnswersReachTheWindowOnceItIsReady) {
  StartConnected();
  EXPECT_EQ(Dlg()->Session().Receive(ClientQtyRecord{3}).code(), 0);
  EXPECT_EQ(Text(desk::kClientCount), "3");
  EXPECT_EQ(Dlg()->Session().Receive(LightDarkRecord{1}).code(), hv::kOk);
  EXPECT_EQ(Text(desk::kDayNight), "Night");
  EXPECT_EQ(Dlg()->Session().Receive(LightDarkRecord{0}).code(), hv::kOk);
  EXPECT_EQ(Text(desk::kDayNight), "Day");
  EXPECT_EQ(Dlg()->Session().Receive(PauseStateRecord{1}).code(), hv::kOk);
  EXPECT_EQ(Dlg()->Session().Receive(MuteStateRecord{1}).code(), hv::kOk);
  EXPECT_EQ(Check(desk::kPauseMacros), 1);
  EXPECT_EQ(Check(desk::kMute), 1);
  const uint32_t day = 1705276800;  // 2024-01-15 00:00 UTC
  EXPECT_EQ(Dlg()
                ->Session()
                .Receive(DawnDuskRecord{day + 6 * 3600 + 45 * 60, day + 19 * 3600 + 30 * 60})
                .code(),
            hv::kOk);
  EXPECT_EQ(Text(desk::kDawnDusk), "Dawn: 06:45 AM, Dusk: 07:30 PM");
  EXPECT_EQ(Dlg()->Session().Receive(ControlFileNameRecord{"House.vhc"}).code(), hv::kOk);
  swString connection;
  connection.Format("127.0.0.1:%u", peer_.Port());
  EXPECT_EQ(Text(desk::kConnectionText), connection + " - House.vhc");
  EXPECT_EQ(Win().Title(), swString("Varnholt (TM) Client - ") + connection);
}

TEST_F(HouseDeskDlgTest, EmptyAddressReconnectsToNothingAndTheClockSaysSo) {
  Start();
  // The first start's setup was cancelled: no bare ":1025" where the address goes.
  EXPECT_EQ(Text(desk::kConnectionText), "Not set up yet");
  EXPECT_EQ(Win().Title(), "Varnholt (TM) Client - Not set up yet");
  EXPECT_EQ(Dlg()->Reconnect().code(), 0);
  Wait(1000);
  EXPECT_EQ(Text(desk::kServerTimeText), "Not Connected");
  // The liveness check finds no connection, "reconnects" (nothing to do) and calls it heard.
  Wait(120000);
  EXPECT_EQ(app_->ProtocolContext().HeardFromServer(), 1);
  EXPECT_FALSE(app_->Connection().IsConnected());
  Wait(1000);
  EXPECT_EQ(Text(desk::kServerTimeText), "Unable to get the server time");
}

TEST_F(HouseDeskDlgTest, ServerTimeButtonClearsTheClockUntilTheAnswer) {
  StartConnected();
  peer_.Take();
  app_->ProtocolContext().SetHeardFromServer(1);
  EXPECT_EQ(Dlg()->Session().Receive(ServerTimeRecord{1700000000}).code(), hv::kOk);
  EXPECT_EQ(Text(desk::kServerTimeText), "11/14/2023 - 10:13:20 PM");
  Wait(1000);
  EXPECT_EQ(Text(desk::kServerTimeText), "11/14/2023 - 10:13:21 PM");
  ASSERT_TRUE(Win().Click(desk::kServerTimeButton));
  EXPECT_EQ(peer_.TakeTypes(), std::vector<uint32_t>{msg::kGetServerTime});
  Wait(1000);
  EXPECT_EQ(Text(desk::kServerTimeText), "Unable to get the server time");
  EXPECT_EQ(Dlg()->Session().Receive(ServerTimeRecord{1700000100}).code(), hv::kOk);
  EXPECT_EQ(Text(desk::kServerTimeText), "11/14/2023 - 10:15:00 PM");
}

TEST_F(HouseDeskDlgTest, PauseAsksFirstAndUnpausingDoesNot) {
  StartConnected();
  peer_.Take();
  harness_.toolkit.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kNo);
  ASSERT_TRUE(Win().Click(desk::kPauseMacros));
  EXPECT_EQ(Check(desk::kPauseMacros), 0);
  EXPECT_TRUE(peer_.TakeTypes().empty());
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  EXPECT_EQ(harness_.Boxes()[0].caption, "Confirm Pause");
  EXPECT_EQ(harness_.Boxes()[0].text,
            "Are you sure you want to pause macros?  This will stop ALL macro activity until "
            "unpaused!");

  harness_.toolkit.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  ASSERT_TRUE(Win().Click(desk::kPauseMacros));
  std::vector<cDeskTestPeer::cBlock> sent = peer_.Take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, msg::kSetPause);
  EXPECT_EQ(sent[0].payload.back(), '\x00');  // u16 1, little-endian: 01 00
  EXPECT_EQ(sent[0].payload[sent[0].payload.size() - 2], '\x01');

  ASSERT_TRUE(Win().Click(desk::kPauseMacros));  // unchecking: no question
  EXPECT_EQ(harness_.Boxes().size(), 2u);
  sent = peer_.Take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].payload[sent[0].payload.size() - 2], '\x00');
}

TEST_F(HouseDeskDlgTest, GlobalCommandsSendTheirRequests) {
  StartConnected();
  peer_.Take();
  EXPECT_EQ(Dlg()->Session().Receive(LightDarkRecord{1}).code(),
            hv::kOk);  // the button reads "Night": Day/Night asks for day
  ASSERT_TRUE(Win().Click(desk::kDayNight));
  ASSERT_TRUE(Win().Click(desk::kMute));
  ASSERT_TRUE(Win().Type(desk::kLogMessageText, "Back from holiday"));
  ASSERT_TRUE(Win().Click(desk::kAddLogMessage));
  ASSERT_TRUE(Win().Click(desk::kAddLogMessage));  // nothing typed: nothing sent
  const std::vector<cDeskTestPeer::cBlock> sent = peer_.Take();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].type, msg::kSetLightDark);
  EXPECT_EQ(sent[0].payload.substr(sent[0].payload.size() - 2), std::string("\0\0", 2));
  EXPECT_EQ(sent[1].type, msg::kSetMute);
  EXPECT_EQ(sent[2].type, msg::kUserMessage);
  EXPECT_NE(sent[2].payload.find("Back from holiday"), std::string::npos);
  EXPECT_EQ(Text(desk::kLogMessageText), "");
}

TEST_F(HouseDeskDlgTest, SendX10CodeOpensTheDialogWhichSendsTheCodeOnTheConnection) {
  StartConnected();
  peer_.Take();
  harness_.toolkit.QueueModalScript([](cHeadlessWindow& dialog) {
    EXPECT_EQ(dialog.Title(), "Send X10 Code");
    ASSERT_TRUE(dialog.Choose(kX10SendHouse, 15));
    ASSERT_TRUE(dialog.Choose(kX10SendUnit, 15));
    ASSERT_TRUE(dialog.Click(kX10SendSend));
    ASSERT_TRUE(dialog.Click(kResultCancel));
  });
  ASSERT_TRUE(Win().Click(desk::kSendX10Code));
  const std::vector<cDeskTestPeer::cBlock> sent = peer_.Take();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, msg::kSendX10Code);
  // House P (15), unit 16 (15), On (2), dim 0.
  EXPECT_EQ(sent[0].payload, std::string("\x0f\0\0\0\x0f\0\0\0\x02\0\0\0\0\0\0\0", 16));
  EXPECT_FALSE(app_->AppBusy());
  EXPECT_TRUE(harness_.toolkit.HeadlessMessageBox().Shown().empty());
}

TEST_F(HouseDeskDlgTest, CommandsWithoutAConnectionSayTheConnectionIsLost) {
  Start();
  ASSERT_FALSE(app_->Connection().IsConnected());
  ASSERT_TRUE(Win().Click(desk::kDayNight));
  ASSERT_TRUE(Win().Click(desk::kMute));
  EXPECT_EQ(Check(desk::kMute), 0);  // nothing changed on the server, so neither here
  harness_.toolkit.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  ASSERT_TRUE(Win().Click(desk::kPauseMacros));
  EXPECT_EQ(Check(desk::kPauseMacros), 0);
  ASSERT_TRUE(Win().Click(desk::kServerTimeButton));
  EXPECT_EQ(Dlg()->Session().RecordToggle("Porch").code(), hv::kNotConnected);
  EXPECT_FALSE(Dlg()->IsRecording());
  ASSERT_TRUE(Win().Type(desk::kLogMessageText, "hello"));
  ASSERT_TRUE(Win().Click(desk::kAddLogMessage));
  EXPECT_EQ(Text(desk::kLogMessageText), "hello");  // kept, to be sent again later

  // Newest first, each as its own entry; none of them is kept in the activity list.
  EXPECT_EQ(LogRows(), (std::vector<std::string>{
                           "User Message|Server not responding - Connection is lost",
                           "Connection is lost|Start/stop record command not sent successfully",
                           "Connection is lost|Get server time command not sent successfully",
                           "Connection is lost|Pause status command not sent successfully",
                           "Connection is lost|Mute status command not sent successfully",
                           "Connection is lost|Light/Dark command not sent successfully"}));
  EXPECT_EQ(app_->ActivityItems().Count(), 0u);
}

TEST_F(HouseDeskDlgTest, AServerThatLeavesShowsAtOnceAndTheLivenessCheckComesBack) {
  StartConnected();
  peer_.Take();
  app_->ProtocolContext().SetHeardFromServer(1);
  EXPECT_EQ(Dlg()->Session().Receive(ServerTimeRecord{1700000000}).code(), hv::kOk);
  EXPECT_EQ(Dlg()->Session().Receive(ClientQtyRecord{2}).code(), hv::kOk);
  swString connection;
  connection.Format("127.0.0.1:%u", peer_.Port());
  EXPECT_EQ(Dlg()->Session().Receive(ControlFileNameRecord{"House.vhc"}).code(), hv::kOk);
  ASSERT_EQ(Win().Title(), swString("Varnholt (TM) Client - ") + connection);

  peer_.Close();  // the server goes without a word
  for (int i = 0; i < 50 && app_->Connection().IsConnected(); ++i) harness_.loop.Pump(1);
  ASSERT_FALSE(app_->Connection().IsConnected());
  EXPECT_EQ(app_->ProtocolContext().HeardFromServer(), 0);
  EXPECT_EQ(Text(desk::kServerTimeText), "Not Connected");
  EXPECT_EQ(Text(desk::kClientCount), "0");
  EXPECT_EQ(Win().Title(), swString("Varnholt (TM) Client - ") + connection + " - Not Connected");
  // The peer left without a Goodbye: a server that went away, not a login turned down, so
  // nothing hints at the password.
  EXPECT_EQ(LogRows().front(),
            "Connection terminated|The server was shut down or login was rejected");
  Wait(1000);
  EXPECT_EQ(Text(desk::kServerTimeText), "Not Connected");  // no stale clock ticking on

  // The liveness check logs in again and the window asks for all a start asks for.
  ASSERT_TRUE(peer_.Listen());
  Wait(120000);
  ASSERT_TRUE(app_->Connection().IsConnected());
  EXPECT_EQ(app_->ProtocolContext().HeardFromServer(), 1);
  EXPECT_EQ(Win().Title(), swString("Varnholt (TM) Client - ") + connection);
  EXPECT_EQ(peer_.TakeTypes(), kLoginRequests);
}

TEST_F(HouseDeskDlgTest, OneRecordingFlagForTheWholeWindow) {
  StartConnected();
  peer_.Take();
  EXPECT_EQ(Dlg()->Session().RecordToggle("Porch").code(), 0);
  EXPECT_TRUE(Dlg()->IsRecording());
  EXPECT_EQ(Dlg()->Session().RecordToggle("Garage").code(), 1);  // stops, naming the second source
  EXPECT_FALSE(Dlg()->IsRecording());
  EXPECT_EQ(Dlg()->Session().SnapPicture("Porch").code(), 0);
  const std::vector<cDeskTestPeer::cBlock> sent = peer_.Take();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].type, msg::kStartRecord);
  EXPECT_NE(sent[0].payload.find("Porch"), std::string::npos);
  EXPECT_EQ(sent[1].type, msg::kStopRecord);
  EXPECT_NE(sent[1].payload.find("Garage"), std::string::npos);
  EXPECT_EQ(sent[2].type, msg::kSnapPicture);
}

TEST_F(HouseDeskDlgTest, CloseBoxWithATrayIconOnlyHides) {
  Start();
  Win().PressEscape();
  EXPECT_FALSE(Win().IsVisible());
  EXPECT_EQ(quits_, 0);
  EXPECT_TRUE(Frame()->IsRunning());
  // Still ticking: a new entry makes the icon flash.
  const cTrayImage quiet = tray_.Icon(kTrayIconId)->image;
  EXPECT_EQ(app_->AddLogEntry(MakeClientEntry(kEntryError, 0, 0, "x", "y"), true, true).code(), 0);
  Wait(500);
  EXPECT_NE(tray_.Icon(kTrayIconId)->image, quiet);
  EXPECT_TRUE(app_->OpenMainWindow().ok());
  EXPECT_TRUE(Win().IsVisible());
}

TEST_F(HouseDeskDlgTest, WithoutAnIconInTheTrayTheWindowIsNeverHiddenForGood) {
  tray_.SetAvailable(false);  // "Tray Icon Type" 2, but the desktop has no tray
  Start();
  EXPECT_FALSE(Win().Control(desk::kHide)->IsVisible());
  Win().PressEscape();
  EXPECT_EQ(quits_, 1);
}

TEST_F(HouseDeskDlgTest, CloseBoxWithoutATrayIconEndsTheProgramAndSavesTheChoices) {
  WriteSetting("Client Settings", "Tray Icon Type", 0u);
  Start();
  EXPECT_FALSE(Win().Control(desk::kHide)->IsVisible());
  ASSERT_TRUE(Win().Click(desk::kSplitView));  // split view off
  Win().PressEscape();
  EXPECT_EQ(quits_, 1);
  EXPECT_FALSE(Frame()->IsRunning());
  EXPECT_EQ(ReadNumber("Main Window", "Split View"), 0u);
  EXPECT_EQ(ReadNumber("Main Window", "Top Child Dialog Type"), 1u);
  EXPECT_EQ(ReadSetting("Main Window", "Top Child Dialog Name"), "");
  app_.reset();  // destruction writes the window's rectangle
  EXPECT_GT(ReadNumber("WindowSize", "Main X2"), 0u);
}

TEST_F(HouseDeskDlgTest, AViewThatCannotSaveItsColumnsAsItClosesSaysSoOnce) {
  WriteSetting("Main Window", "Top Child Dialog Type",
               static_cast<uint32_t>(ViewKindNumber(ViewKind::kSwitches)));
  Start();
  // A second config folder whose store folder is taken by a file: no value can be written.
  const std::string broken = std::string(std::getenv("XDG_CONFIG_HOME")) + "/../broken";
  std::filesystem::create_directories(broken);
  std::ofstream(broken + "/hearthview") << "not a folder";
  const auto settings_rows = [this] {
    const std::vector<std::string> rows = LogRows();
    return std::count_if(rows.begin(), rows.end(),
                         [](const std::string& row) { return row.starts_with("Settings|"); });
  };
  {
    hv::test::cScopedEnv unwritable("XDG_CONFIG_HOME", broken);
    // The top view is replaced twice: each old one saves its columns as it goes, once the
    // loop is back at its top.
    ASSERT_TRUE(Dlg()->Arrangement().RecreateTopView().ok());
    harness_.loop.ReleaseRetired();
    EXPECT_EQ(settings_rows(), 1);
    ASSERT_TRUE(Dlg()->Arrangement().RecreateTopView().ok());
    harness_.loop.ReleaseRetired();
  }
  EXPECT_EQ(settings_rows(), 1);
}

TEST_F(HouseDeskDlgTest, ExitSavesTheChoicesThatComeBackAtTheNextStart) {
  Start();
  Win().Choose(desk::kTabControl, 3);  // Macros
  ASSERT_TRUE(Win().Click(desk::kAllowUserLogMessages));
  ASSERT_TRUE(Win().Click(desk::kExit));
  EXPECT_TRUE(Dlg()->IsClosing());
  EXPECT_EQ(quits_, 1);
  EXPECT_EQ(ReadNumber("Main Window", "Current Tab View"), 2u);
  EXPECT_EQ(ReadNumber("Main Window", "Allow User Log Messages"), 0u);
  app_.reset();

  Start();
  EXPECT_EQ(Win().TabControl(desk::kTabControl)->Selection(), 3);
  EXPECT_EQ(Check(desk::kAllowUserLogMessages), 0);
  EXPECT_FALSE(Win().Control(desk::kLogMessageText)->IsVisible());
}

TEST_F(HouseDeskDlgTest, SetupWithDontSaveStillWritesTheConnectionButNotTheLogin) {
  WriteSetting("Client Settings", "LoginUserName", "old");
  WriteSetting("Client Settings", "LoginPassword", "secret");
  const uint32_t port = peer_.Port();
  harness_.toolkit.QueueModalScript([port](cHeadlessWindow& setup) {
    TypeSite(setup, "Home", port, "alice");
    setup.Type(kSetupPassword, "pw");
    setup.Click(kSetupDontSave);
    setup.Click(kResultOk);
  });
  Start();  // no automatic login: the setup dialog opens at once
  EXPECT_TRUE(app_->Connection().IsConnected());
  EXPECT_EQ(ReadSetting("Client Settings", "Address"), "127.0.0.1");
  EXPECT_EQ(ReadNumber("Client Settings", "Port"), port);
  EXPECT_EQ(ReadSetting("Client Settings", "UserName"), "alice");
  EXPECT_EQ(ReadSetting("Client Settings", "Password"), "pw");
  EXPECT_EQ(ReadNumber("Client Settings", "Dont Save User Settings"), 1u);
  EXPECT_EQ(ReadSetting("Client Settings", "LoginSelName"), "Home");
  EXPECT_EQ(ReadSetting("Client Settings", "LoginUserName"), "<none>");
  EXPECT_EQ(ReadSetting("Client Settings", "LoginPassword"), "<none>");
  swString connection;
  connection.Format("127.0.0.1:%u", port);
  EXPECT_EQ(Text(desk::kConnectionText), connection);
  EXPECT_TRUE(Has(peer_.TakeTypes(), msg::kLogin));
}

TEST_F(HouseDeskDlgTest, SetupThatCannotConnectSaysSoAndSavesNothing) {
  peer_.Close();
  const uint32_t port = peer_.Port();
  harness_.toolkit.QueueModalScript([port](cHeadlessWindow& setup) {
    TypeSite(setup, "Away", port, "bob");
    setup.Click(kResultOk);
  });
  Start();
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  EXPECT_EQ(harness_.Boxes()[0].caption, "Unable to Connect");
  std::string expected = "Unable to connect to 127.0.0.1, port " + std::to_string(port) +
                         ", with user name of bob: connection refused.";
  EXPECT_EQ(std::string(harness_.Boxes()[0].text.CStr()).rfind(expected, 0), 0u);
  EXPECT_EQ(ReadSetting("Client Settings", "Address"), "<none>");
}

TEST_F(HouseDeskDlgTest, LivenessCheckReconnectsWhenNothingWasHeard) {
  StartConnected();
  peer_.Take();
  // Nothing ever answered: HeardFromServer is still 0, so the check logs in again.
  Wait(120000);
  EXPECT_TRUE(peer_.TakeTypes().empty());  // not yet: the first check falls after 120 s
  Wait(1000);
  const std::vector<uint32_t> types = peer_.TakeTypes();
  ASSERT_FALSE(types.empty());
  EXPECT_EQ(types.front(), msg::kLogin);
  EXPECT_TRUE(Has(types, msg::kGetSwitches));
  EXPECT_TRUE(Has(types, msg::kGetVideoSources));
  EXPECT_TRUE(Has(types, msg::kGetLogItems));
  EXPECT_EQ(app_->ProtocolContext().HeardFromServer(), 1);
}

TEST_F(HouseDeskDlgTest, VideoSourcesGetTabsAndThumbnailsReachTheirView) {
  StartConnected();
  VideoSourceRecord porch{"Porch", 0};
  EXPECT_EQ(Dlg()->Session().Receive(porch).code(), 0);
  EXPECT_EQ(Dlg()->Session().Receive(porch).code(), 1);
  EXPECT_EQ(Win().TabControl(desk::kTabControl)->TabCount(), test::FixedTabCount() + 1);
  const std::string picture_file = std::string(std::getenv("TMPDIR")) + "/porch.jpg";
  const cPictureBytes jpeg = EncodeJpegSample(MakeQuadrantPicture(80, 60));
  hv::test::WriteText(picture_file, std::string(jpeg.begin(), jpeg.end()));
  ASSERT_EQ(std::filesystem::file_size(picture_file), jpeg.size());
  auto* porch_view =
      dynamic_cast<CDlgChildVideo*>(Dlg()->Arrangement().Views().Find("Porch", kPlacementTab));
  ASSERT_NE(porch_view, nullptr);
  cReportList* thumbnails = porch_view->Window()->ReportList(video::kThumbnailList);
  ASSERT_NE(thumbnails, nullptr);

  ThumbnailRecord thumbnail;
  thumbnail.source_name = "Porch";
  ThumbnailPicture gathered;
  gathered.file = picture_file.c_str();
  EXPECT_EQ(Dlg()->Session().Receive(ThumbnailAnswer{thumbnail, gathered}).code(), 0);
  EXPECT_EQ(thumbnails->RowCount(), 1);
  // The same picture in memory, as a one-block answer hands it over.
  thumbnail.picture_path = "C:\\Pictures\\inline.jpg";
  ThumbnailPicture in_memory;
  in_memory.bytes = jpeg.data();
  in_memory.size = static_cast<uint32_t>(jpeg.size());
  EXPECT_EQ(Dlg()->Session().Receive(ThumbnailAnswer{thumbnail, in_memory}).code(), 0);
  EXPECT_EQ(thumbnails->RowCount(), 2);
  // A picture that does not decode is dropped without a word: no record, no row.
  thumbnail.picture_path = "C:\\Pictures\\broken.jpg";
  ThumbnailPicture missing;
  missing.file = "/nonexistent";
  EXPECT_EQ(Dlg()->Session().Receive(ThumbnailAnswer{thumbnail, missing}).code(), 0);
  in_memory.size = 10;  // cut off
  EXPECT_EQ(Dlg()->Session().Receive(ThumbnailAnswer{thumbnail, in_memory}).code(), 0);
  EXPECT_EQ(thumbnails->RowCount(), 2);
  EXPECT_EQ(app_->VideoThumbnails().Count(), 2u);
  thumbnail.source_name = "Attic";
  EXPECT_EQ(Dlg()->Session().Receive(ThumbnailAnswer{thumbnail, gathered}).code(), 1);
}

TEST_F(HouseDeskDlgTest, WebsiteThatCannotBeOpenedSaysWhyAndNamesThePage) {
  Start();
  harness_.shell.result = hv::kNoOpener;
  ASSERT_TRUE(Win().Click(desk::kWebsite));
  ASSERT_EQ(harness_.Boxes().size(), 1u);
  std::string text = harness_.Boxes()[0].text.CStr();
  EXPECT_NE(text.find("No program to open web pages was found"), std::string::npos) << text;
  EXPECT_NE(text.find(kProductWebPage), std::string::npos) << text;

  harness_.shell.result = hv::kCannotOpenFile;
  ASSERT_TRUE(Win().Click(desk::kWebsite));
  ASSERT_EQ(harness_.Boxes().size(), 2u);
  text = harness_.Boxes()[1].text.CStr();
  EXPECT_EQ(text, std::string("Unable to open the web page ") + kProductWebPage);
}

TEST_F(HouseDeskDlgTest, SystemMenuAboutHelpAndWebsite) {
  // The build's own program folder, which has the help pages beside it.
  const char* bin = std::getenv("HV_BIN_DIR");
  if (bin == nullptr) GTEST_SKIP() << "HV_BIN_DIR is set by ctest; run this test through it";
  harness_.environment.program_path = std::string(bin) + "/hearthview";
  Start();
  Win().PressHelp();
  ASSERT_TRUE(Win().Click(desk::kHelp));
  ASSERT_TRUE(Win().Click(desk::kWebsite));
  ASSERT_FALSE(harness_.shell.opened.empty());
  EXPECT_EQ(harness_.shell.opened.back(), kProductWebPage);
  EXPECT_EQ(harness_.shell.opened.size(), 3u);
  // The version dialog opens over the main window, showing this build.
  int32_t version_dialog = 0;
  swString this_build;
  harness_.toolkit.QueueModalScript([&](cHeadlessWindow& dialog) {
    version_dialog = dialog.ResourceId();
    this_build = dialog.Control(kVersionThisBuild)->Text();
  });
  ASSERT_TRUE(Win().Click(desk::kVersionInfo));
  EXPECT_EQ(version_dialog, kVersionResourceId);
  EXPECT_STREQ(this_build.CStr(), ThisBuildText());
  EXPECT_TRUE(harness_.Boxes().empty());
}

}  // namespace

}  // namespace hv
