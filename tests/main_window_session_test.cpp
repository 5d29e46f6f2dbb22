// The main window and its frame against housesim over loopback TCP: the application object
// logs in automatically, the window sends its first requests in the order of its
// initialisation and shows what the server answers, the global commands reach the server
// and come back, and a restarted server is found again by the liveness check. housesim runs
// in-process: the client's event loop gives the server a round on every pump, and the
// client's clock is a fake one, so the two-minute liveness check takes no real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/setup/dlg_client_setup.h"
#include "client/shell/setup/login_refused_box.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_tab_control.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/log/activity_items.h"
#include "client/views/testing/fixed_tabs.h"
#include "client/views/video/dlg_child_video.h"
#include "core/profile/profile.h"
#include "sim/house.h"
#include "sim/server.h"
#include "tests/desk_session_support.h"
#include "tests/headless_desk_session.h"
#include "tests/in_process_sim.h"

namespace hv {

namespace {

using hv::test::WriteClientSetting;

// What a start asks for, in the order of the window's initialisation.
const std::vector<std::string> kStartRequests = {"Login",
                                                 "Get switches",
                                                 "Get sensors",
                                                 "Get macros",
                                                 "Get modes",
                                                 "Get light dark",
                                                 "Get video sources",
                                                 "Get thumbnails 100",
                                                 "Get log items 250",
                                                 "Get control file name",
                                                 "Get client qty",
                                                 "Get server time",
                                                 "Get dawn dusk"};

// The same requests, named without their counts.
std::vector<std::string> WithoutCounts(std::vector<std::string> requests) {
  for (std::string& request : requests) {
    const size_t last = request.find_last_not_of("0123456789");
    if (last + 1 < request.size() && request[last] == ' ') request.erase(last);
  }
  return requests;
}

// Each of `requests` begins with the one `expected` names in its place. With `exactly`, there
// are no more than those.
void ExpectRequestsInOrder(const std::vector<std::string>& requests,
                           const std::vector<std::string>& expected, bool exactly) {
  if (exactly) {
    ASSERT_EQ(requests.size(), expected.size());
  } else {
    ASSERT_GE(requests.size(), expected.size());
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(requests[i].substr(0, expected[i].size()), expected[i]) << "request " << i;
  }
}

class MainWindowSessionTest : public hv::test::DeskSessionTest {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    DeskSessionTest::SetUp();
  }

  void StartClient() {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_NE(Dlg(), nullptr);
  }

  cHeadlessWindow& Win() { return static_cast<cHeadlessWindow&>(*Dlg()->Window()); }
  std::string Text(int32_t id) { return Win().Control(id)->Text().CStr(); }
  // Lets client time pass in timer periods (the server keeps its own clock).
  void Wait(uint32_t ms) {
    for (uint32_t waited = 0; waited < ms; waited += CMainFrame::kTimerPeriodMs) {
      clock_.Advance(CMainFrame::kTimerPeriodMs);
      loop_.Pump(0);
    }
  }
  // The requests housesim logged, by name, in order, from the line `from` on.
  std::vector<std::string> Requests(size_t from = 0) {
    std::vector<std::string> names;
    for (size_t i = from; i < sim_->log_lines.size(); ++i) {
      const std::string& line = sim_->log_lines[i];
      const size_t colon = line.find(": ");
      if (colon == std::string::npos) continue;
      std::string name = line.substr(colon + 2);
      if (name.rfind("Login", 0) == 0) name = "Login";
      names.push_back(name);
    }
    return names;
  }
  // The requests a start makes, from the line `from` on: the logins and what the window gets.
  std::vector<std::string> StartRequests(size_t from = 0) {
    std::vector<std::string> asked;
    for (const std::string& name : Requests(from)) {
      if (name.find(' ') == std::string::npos || name.rfind("Get", 0) == 0) asked.push_back(name);
    }
    return asked;
  }
  bool Logged(const std::string& text) { return sim_->Logged(text); }
};

TEST_F(MainWindowSessionTest, LogsInAsksInOrderAndShowsTheServersFacts) {
  StartClient();
  const std::string port = std::to_string(sim_->server.port());
  ASSERT_TRUE(PumpUntil([&] {
    return Text(desk::kConnectionText).find(" - ") != std::string::npos &&
           Text(desk::kClientCount) == "1" && Text(desk::kDawnDusk).rfind("Dawn: ", 0) == 0 &&
           Text(desk::kServerTimeText).find('/') != std::string::npos;
  }));
  ASSERT_NO_FATAL_FAILURE(ExpectRequestsInOrder(StartRequests(), kStartRequests, false));
  EXPECT_EQ(Text(desk::kConnectionText).rfind("127.0.0.1:" + port + " - ", 0), 0u);
  EXPECT_EQ(Win().Title().CStr(), "Varnholt (TM) Client - 127.0.0.1:" + port);
  EXPECT_NE(Text(desk::kDawnDusk).find(", Dusk: "), std::string::npos);
  EXPECT_TRUE(Text(desk::kDayNight) == "Day" || Text(desk::kDayNight) == "Night");

  // The lists fill from the server's answers, and a video tab comes per source.
  ASSERT_TRUE(PumpUntil([&] {
    auto* switches = Tabbed<CDlgChildSwitches>("Switches");
    return switches != nullptr && switches->RowCount() > 0 &&
           Win().TabControl(desk::kTabControl)->TabCount() > hv::test::FixedTabCount();
  }));
  EXPECT_GT(Tabbed<CDlgChildSensors>("Sensors")->RowCount(), 0);
  EXPECT_GT(Tabbed<CDlgChildMacros>("Macros")->RowCount(), 0);
  EXPECT_GT(Tabbed<CDlgChildModes>("Modes")->RowCount(), 0);
}

TEST_F(MainWindowSessionTest, GlobalCommandsReachTheServerAndComeBack) {
  StartClient();
  ASSERT_TRUE(PumpUntil([&] { return Text(desk::kDayNight) != "&Day/Night"; }));
  const std::string before = Text(desk::kDayNight);
  ASSERT_TRUE(Win().Click(desk::kDayNight));
  ASSERT_TRUE(PumpUntil([&] { return Text(desk::kDayNight) != before; }));
  EXPECT_TRUE(Logged("Set light dark"));

  toolkit_.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  ASSERT_TRUE(Win().Click(desk::kPauseMacros));
  ASSERT_TRUE(PumpUntil([&] { return Logged("Set pause"); }));
  EXPECT_TRUE(sim_->house.data().facts.paused);
  EXPECT_EQ(Win().Button(desk::kPauseMacros)->GetCheck(), 1);

  ASSERT_TRUE(Win().Click(desk::kMute));
  ASSERT_TRUE(PumpUntil([&] { return Logged("Set mute"); }));
  EXPECT_TRUE(sim_->house.data().facts.muted);

  ASSERT_TRUE(Win().Type(desk::kLogMessageText, "Hello from the desk"));
  ASSERT_TRUE(Win().Click(desk::kAddLogMessage));
  ASSERT_TRUE(PumpUntil([&] { return Logged("Hello from the desk"); }));
  EXPECT_EQ(Text(desk::kLogMessageText), "");
}

TEST_F(MainWindowSessionTest, AServerThatDiesShowsAtOnceAndTheWindowComesBackComplete) {
  StartClient();
  // The pictures the Front Porch tab shows: its image list, which holds one per thumbnail.
  auto FrontPorchPictures = [&] {
    auto* view = Tabbed<CDlgChildVideo>("Front Porch");
    return view != nullptr && view->Images() != nullptr ? view->Images()->Count() : 0;
  };
  auto* switches = Tabbed<CDlgChildSwitches>("Switches");
  auto complete = [&] {
    return switches->RowCount() > 0 && Text(desk::kClientCount) == "1" &&
           Text(desk::kDawnDusk).rfind("Dawn: ", 0) == 0 &&
           (Text(desk::kDayNight) == "Day" || Text(desk::kDayNight) == "Night") &&
           Text(desk::kServerTimeText).find('/') != std::string::npos && FrontPorchPictures() > 0;
  };
  ASSERT_TRUE(PumpUntil(complete));
  const int thumbnails = FrontPorchPictures();
  const std::string title = Win().Title().CStr();
  const uint16_t port = sim_->server.port();

  // Killed: the server's end closes without a Goodbye. The window says so at once.
  sim_->server.DropAllWithoutGoodbye();
  ForgetServer();
  for (int i = 0; i < 200 && app_->Connection().IsConnected(); ++i) loop_.Pump(1);
  ASSERT_FALSE(app_->Connection().IsConnected());
  EXPECT_EQ(Text(desk::kServerTimeText), "Not Connected");
  EXPECT_EQ(Text(desk::kClientCount), "0");
  EXPECT_EQ(Win().Title().CStr(), title + " - Not Connected");
  ASSERT_TRUE(Win().Click(desk::kDayNight));  // leaves an entry rather than nothing

  StartServer(port);
  ASSERT_EQ(sim_->server.port(), port);
  Wait(CMainFrame::kLivenessPeriodMs + CMainFrame::kTimerPeriodMs);
  ASSERT_TRUE(PumpUntil([&] { return Logged("accepted") && complete(); }));
  for (int i = 0; i < 200; ++i) loop_.Pump(0);
  // Asked for all that a start asks for, once each, in the same order; how many thumbnails
  // and log items depends on what the window kept.
  ASSERT_NO_FATAL_FAILURE(
      ExpectRequestsInOrder(StartRequests(), WithoutCounts(kStartRequests), false));
  EXPECT_EQ(app_->ProtocolContext().HeardFromServer(), 1);
  EXPECT_EQ(Win().Title().CStr(), title);
  // The pictures are there again, each once.
  EXPECT_EQ(FrontPorchPictures(), thumbnails);
  EXPECT_GT(Win().TabControl(desk::kTabControl)->TabCount(), hv::test::FixedTabCount());
}

TEST_F(MainWindowSessionTest, FirstLoginThroughTheSetupDialogAsksForEachThingOnce) {
  WriteClientSetting("Auto Login", 0u);
  const uint16_t port = sim_->server.port();
  hv::test::QueueSetupLogin(toolkit_, port);
  StartClient();
  ASSERT_TRUE(PumpUntil([&] {
    return Text(desk::kDawnDusk).rfind("Dawn: ", 0) == 0 && Text(desk::kClientCount) == "1" &&
           Text(desk::kServerTimeText).find('/') != std::string::npos;
  }));
  for (int i = 0; i < 200; ++i) loop_.Pump(0);
  // The order of the automatic login, and nothing twice.
  ExpectRequestsInOrder(StartRequests(), kStartRequests, true);
}

TEST_F(MainWindowSessionTest, EveryWayTheProgramEndsLogsOffFirst) {
  enum class eEnd { kExit, kCloseBoxWithoutTray, kTerminationSignal };
  for (eEnd end : {eEnd::kExit, eEnd::kCloseBoxWithoutTray, eEnd::kTerminationSignal}) {
    SCOPED_TRACE(static_cast<int>(end));
    WriteClientSetting("Tray Icon Type", end == eEnd::kCloseBoxWithoutTray ? 0u : 2u);
    StartClient();
    ASSERT_TRUE(PumpUntil([&] { return Text(desk::kClientCount) == "1"; }));
    const size_t from = sim_->log_lines.size();
    switch (end) {
      case eEnd::kExit: ASSERT_TRUE(Win().Click(desk::kExit)); break;
      case eEnd::kCloseBoxWithoutTray: Win().PressEscape(); break;
      case eEnd::kTerminationSignal: app_->RequestExit(); break;
    }
    app_->ExitInstance();
    EXPECT_FALSE(app_->Connection().IsConnected());
    ASSERT_TRUE(PumpUntil([&] { return sim_->server.ConnectionCount() == 0; }));
    std::vector<std::string> said;
    for (const std::string& name : Requests(from)) {
      if (name == "Logoff" || name == "Goodbye") said.push_back(name);
    }
    EXPECT_EQ(said, (std::vector<std::string>{"Logoff", "Goodbye"}));
    app_.reset();
  }
}

TEST_F(MainWindowSessionTest, EndingWhileWaitingOnAStalledServerTakesUnderASecondAndSaysGoodbye) {
  // The server stops in the middle of its first answer and stays silent: the client's read
  // waits for the rest (up to its 15 s limit), running the event loop meanwhile.
  sim_->options.cut_after_bytes = 40;
  StartClient();
  uint32_t asked_at = 0;
  bool asked = false;
  loop_.inside_wait = [&] {
    clock_.Advance(50);
    if (asked) return;
    asked = true;
    asked_at = clock_.TickCount();
    app_->RequestExit();  // what SIGTERM and "Exit" both come to
  };
  ASSERT_TRUE(PumpUntil([&] { return asked && !app_->Connection().IsConnected(); }));
  loop_.inside_wait = nullptr;
  EXPECT_LT(clock_.TickCount() - asked_at, 1000u) << "the exit waited on the server";
  ASSERT_TRUE(PumpUntil([&] { return sim_->server.ConnectionCount() == 0; }));
  std::vector<std::string> said;
  for (const std::string& name : Requests()) {
    if (name == "Logoff" || name == "Goodbye") said.push_back(name);
  }
  EXPECT_EQ(said, (std::vector<std::string>{"Logoff", "Goodbye"}));
  app_->ExitInstance();
}

TEST_F(MainWindowSessionTest, ASwitchClickedInItsTabReachesTheTopPaneToo) {
  StartClient();
  auto* tabbed = Tabbed<CDlgChildSwitches>("Switches");
  const int32_t count = static_cast<int32_t>(sim_->house.data().switches.size());
  ASSERT_TRUE(PumpUntil([&] { return tabbed->RowCount() == count && !tabbed->Accepting(); }));

  // "Show On Top" on the Switches tab: a second switches view, which asks for its own list.
  const cTabControl& tab_control = *Win().TabControl(desk::kTabControl);
  const int32_t switches_tab = hv::test::TabIndexOfKind(tab_control, ViewKind::kSwitches);
  ASSERT_GE(switches_tab, 0);
  const cRect tabs = tab_control.Rect();
  const cRect frame = Win().WindowRect();
  toolkit_.QueueMenuAnswer(desk::kShowOnTopCommand);
  Dlg()->Arrangement().OnTabRightClick(
      cPoint{frame.left + tabs.left + switches_tab * cHeadlessTabControl::kTabWidth + 5,
             frame.top + tabs.top + 5});
  auto* top = dynamic_cast<CDlgChildSwitches*>(Dlg()->Arrangement().TopView());
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Placement(), kPlacementTop);
  EXPECT_STREQ(top->ColumnSettings().ListName().CStr(), "MainSwitchListTop");
  ASSERT_TRUE(PumpUntil([&] { return top->RowCount() == count && !top->Accepting(); }));

  // A click on a switch that is off, in the tab: the server's answer reaches both lists.
  int32_t row = -1;
  for (int32_t i = 0; i < count; ++i) {
    if (sim_->house.data().switches[static_cast<size_t>(i)].status == hv::sim::kOff) row = i;
  }
  ASSERT_GE(row, 0);
  auto& list = static_cast<cHeadlessReportList&>(*tabbed->List());
  list.ClickAt(cPoint{cHeadlessReportList::kCheckBoxInset + 4,
                      list.RowTop(row) + cHeadlessReportList::kRowHeight / 2});
  ASSERT_TRUE(PumpUntil([&] { return top->List()->CellText(row, 0) == swString("On"); }));
  EXPECT_TRUE(top->List()->GetCheck(row));
  EXPECT_EQ(tabbed->List()->CellText(row, 0), swString("On"));
  EXPECT_TRUE(tabbed->List()->GetCheck(row));
  EXPECT_EQ(sim_->house.data().switches[static_cast<size_t>(row)].status, hv::sim::kOn);
}

// A hostile server floods the client with a thousand Server messages: they share a box or
// two instead of one each, and every one without a box of its own is in the activity log.
TEST_F(MainWindowSessionTest, AWrongPasswordIsToldInABoxThatLeadsToSetup) {
  WriteClientSetting("LoginPassword", "wrong");
  const uint16_t port = sim_->server.port();
  // The user answers Yes and types the right password into the setup dialog.
  toolkit_.HeadlessMessageBox().QueueAnswer(cMessageBoxAnswer::kYes);
  hv::test::QueueSetupLogin(toolkit_, port);
  StartClient();
  ASSERT_TRUE(PumpUntil([&] { return Text(desk::kClientCount) == "1"; }));
  EXPECT_TRUE(app_->Connection().IsConnected());
  const auto& boxes = toolkit_.HeadlessMessageBox().Shown();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_STREQ(boxes[0].caption.CStr(), hv::kLoginRefusedCaption);
  EXPECT_STREQ(boxes[0].text.CStr(), hv::kLoginRefusedText);
}

TEST_F(MainWindowSessionTest, AFloodOfServerMessagesSharesABox) {
  sim_->options.hostile = true;                 // the server reads its options as it goes
  WriteClientSetting("Max Log Entries", 5000);  // room for the whole flood
  const auto flood_logged = [&] {
    size_t count = 0;
    const CActivityItemList& items = app_->ActivityItems();
    for (size_t i = 0; i < items.Count(); ++i) {
      count += items.At(i)->Entry().entry_type == kEntryUserMessage ? 1 : 0;
    }
    return count;
  };
  const auto& boxes = toolkit_.HeadlessMessageBox().Shown();
  const auto last_shown = [&] {
    return !boxes.empty() &&
           std::string(boxes.back().text.CStr()).rfind("Server message 1000", 0) == 0;
  };
  // A box opened inside one of the socket's waits would stop the reading until closed.
  int opened_while_busy = 0;
  toolkit_.HeadlessMessageBox().WhileOpen([&](const cHeadlessMessageBox::cShown&) {
    opened_while_busy += app_->ConnectionBusy() ? 1 : 0;
  });
  StartClient();
  ASSERT_TRUE(PumpUntil(last_shown));
  EXPECT_EQ(opened_while_busy, 0);

  // How many boxes depends on how the bytes are cut into reads; a real box stays open while
  // the rest arrive, so there it is two.
  EXPECT_LE(boxes.size(), 20u);
  EXPECT_EQ(flood_logged() + boxes.size(),
            static_cast<size_t>(hv::sim::RequestAnswerer::kHostileMessageFlood));
  EXPECT_NE(Dlg(), nullptr);
}

}  // namespace

}  // namespace hv
