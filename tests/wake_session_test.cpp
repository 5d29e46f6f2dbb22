// The desktop integration against housesim over loopback TCP: a connection that is lost is
// tried again within seconds, a wake of the computer checks the connection at once (and
// one that slept through a dead server is made again), each of the two settings off leaves
// the two-minute liveness check alone; and what the server tells reaches the desktop as
// notifications. housesim runs in-process, and
// the client's clock is a fake one, so no test waits for real time.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/platform/testing/fake_wake_events.h"
#include "client/platform/testing/memory_password_store.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/setup/dlg_client_setup.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_desktop_notifier.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/log/activity_items.h"
#include "core/profile/profile.h"
#include "sim/console.h"
#include "sim/house.h"
#include "sim/server.h"
#include "tests/desk_session_support.h"
#include "tests/headless_desk_session.h"
#include "tests/in_process_sim.h"

namespace hv {

namespace {

using hv::test::WriteClientSetting;

class WakeSessionTest : public hv::test::DeskSessionTest {
 protected:
  void SetUp() override {
    DeskSessionTest::SetUp();
    environment_.wake_events = &wake_;
    environment_.notifier = &notifier_;
    environment_.password_store = &keyring_;
  }

  // The operator's "shutdown": Goodbye to every client, then the server is gone.
  void ShutDownServerFromConsole() {
    EXPECT_FALSE(hv::sim::RunConsoleCommand(sim_->server, "shutdown").empty());
    ASSERT_TRUE(PumpUntil([&] { return sim_->server.Finished(); }));
    ForgetServer();
  }
  void StartClient() {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_TRUE(PumpUntil([&] { return Connected(); }));
  }
  // Logged in and answered.
  bool Connected() {
    return app_->Connection().IsConnected() && app_->ProtocolContext().HeardFromServer() == 1 &&
           sim_ != nullptr && sim_->Logins() > 0;
  }
  bool LostAndNoticed() {
    for (int i = 0; i < 400 && app_->Connection().IsConnected(); ++i) loop_.Pump(1);
    return !app_->Connection().IsConnected();
  }
  // Client time passes in timer periods until `done`; how long it took, or UINT32_MAX.
  uint32_t WaitUntil(const std::function<bool()>& done, uint32_t limit_ms) {
    for (uint32_t waited = 0; waited <= limit_ms; waited += CMainFrame::kTimerPeriodMs) {
      for (int i = 0; i < 20; ++i) loop_.Pump(0);
      if (done()) return waited;
      clock_.Advance(CMainFrame::kTimerPeriodMs);
      loop_.Pump(0);
    }
    return UINT32_MAX;
  }
  bool LoggedOnce(const char* name, const char* message) {
    const CActivityItemList& items = app_->ActivityItems();
    for (size_t i = 0; i < items.Count(); ++i) {
      const LogItemRecord& entry = items.At(i)->Entry();
      if (entry.name == name && entry.message == message) return true;
    }
    return false;
  }

  cFakeWakeEvents wake_;
  cHeadlessDesktopNotifier notifier_;
  cMemoryPasswordStore keyring_;
};

TEST_F(WakeSessionTest, AServerRestartedFromItsConsoleIsFoundAgainWithinTenSeconds) {
  StartClient();
  const uint16_t port = sim_->server.port();
  ShutDownServerFromConsole();
  ASSERT_TRUE(LostAndNoticed());

  // Down for three seconds: the try after 2 s finds nobody, the one after 5 s the new server.
  ASSERT_NE(WaitUntil([] { return false; }, 3000 - CMainFrame::kTimerPeriodMs), 0u);
  EXPECT_FALSE(app_->Connection().IsConnected());
  StartServer(port);
  ASSERT_EQ(sim_->server.port(), port);
  const uint32_t took = WaitUntil([&] { return Connected(); }, 10000);
  EXPECT_LE(took, 3000u) << "reconnected " << took << " ms after the server came back";
  EXPECT_EQ(sim_->Logins(), 1u);
}

TEST_F(WakeSessionTest, WithoutQuickReconnectsTheTwoMinuteCheckFindsTheServer) {
  WriteClientSetting("Reconnect Quickly", 0u);
  StartClient();
  const uint16_t port = sim_->server.port();
  ShutDownServerFromConsole();
  ASSERT_TRUE(LostAndNoticed());
  StartServer(port);
  EXPECT_EQ(WaitUntil([&] { return Connected(); }, 100000), UINT32_MAX);
  EXPECT_NE(WaitUntil([&] { return Connected(); }, 25000), UINT32_MAX);
}

TEST_F(WakeSessionTest, AWakeReconnectsALostConnectionWithinASecond) {
  WriteClientSetting("Reconnect Quickly", 0u);  // only the wake may bring it back early
  StartClient();
  const uint16_t port = sim_->server.port();
  sim_->server.DropAllWithoutGoodbye();  // the server died while the computer slept
  ForgetServer();
  ASSERT_TRUE(LostAndNoticed());
  StartServer(port);
  ASSERT_TRUE(wake_.Wake(eWakeReason::kResumed));
  EXPECT_LE(WaitUntil([&] { return Connected(); }, 60000), 1000u);
}

TEST_F(WakeSessionTest, AWakeWithTheCheckTurnedOffWaitsForTheTwoMinuteCheck) {
  WriteClientSetting("Reconnect Quickly", 0u);
  WriteClientSetting("Check Connection On Resume", 0u);
  StartClient();
  const uint16_t port = sim_->server.port();
  sim_->server.DropAllWithoutGoodbye();
  ForgetServer();
  ASSERT_TRUE(LostAndNoticed());
  StartServer(port);
  wake_.Wake(eWakeReason::kNetworkBack);
  EXPECT_EQ(WaitUntil([&] { return Connected(); }, 60000), UINT32_MAX);
}

TEST_F(WakeSessionTest, AConnectionThatSleptThroughASilentServerIsMadeAgain) {
  StartClient();
  ASSERT_TRUE(PumpUntil([&] { return sim_->Logins() == 1; }));
  // The server stops answering, and the socket does not know it: sends still go out.
  loop_.server = nullptr;
  cRemoteClientSocket* socket = app_->Connection().Socket();
  ASSERT_TRUE(wake_.Wake(eWakeReason::kResumed));
  const uint32_t blocks = app_->ProtocolContext().BlocksReceived();
  // Unanswered for the whole wait: a new connection replaces the old one.
  EXPECT_GE(WaitUntil([&] { return app_->Connection().Socket() != socket; },
                      CMainFrame::kWakeAnswerMs + 1000),
            CMainFrame::kWakeAnswerMs);
  EXPECT_EQ(app_->ProtocolContext().BlocksReceived(), blocks);
  // The client logged in anew; the server, serving again, takes it.
  loop_.server = &sim_->server;
  ASSERT_TRUE(PumpUntil([&] { return sim_->Logins() == 2 && Connected(); }));
}

TEST_F(WakeSessionTest, AWakeWithAServerThatAnswersKeepsTheConnection) {
  StartClient();
  ASSERT_TRUE(PumpUntil([&] { return sim_->Logins() == 1; }));
  cRemoteClientSocket* socket = app_->Connection().Socket();
  ASSERT_TRUE(wake_.Wake(eWakeReason::kNetworkBack));
  WaitUntil([] { return false; }, CMainFrame::kWakeAnswerMs * 2);
  EXPECT_EQ(app_->Connection().Socket(), socket);
  EXPECT_EQ(sim_->Logins(), 1u);
  EXPECT_FALSE(LoggedOnce("Get Server Time", "Server Not Responding"));
}

TEST_F(WakeSessionTest, ARejectedLoginIsNotTriedAgainQuickly) {
  WriteClientSetting("LoginPassword", "wrong");
  app_ = std::make_unique<CHouseDeskApp>(environment_);
  ASSERT_TRUE(app_->InitInstance());
  ASSERT_TRUE(PumpUntil([&] { return !app_->Connection().IsConnected(); }));
  size_t attempts = 0;
  for (const std::string& line : sim_->log_lines)
    attempts += line.find("Login") != std::string::npos;
  WaitUntil([] { return false; }, 60000);
  size_t later = 0;
  for (const std::string& line : sim_->log_lines) later += line.find("Login") != std::string::npos;
  EXPECT_EQ(later, attempts);
}

TEST_F(WakeSessionTest, ServerMessagesChosenSensorsAndALostServerReachTheDesktop) {
  WriteClientSetting("Desktop Notifications", 1u);
  WriteClientSetting("Notify Sensors", "front door;Back Door");
  StartClient();
  // The log's history at login is not news.
  WaitUntil([] { return false; }, 5000);
  EXPECT_TRUE(notifier_.notices.empty());
  auto sent = [&](const std::string& title) {
    for (const auto& notice : notifier_.notices) {
      if (notice.title == title) return true;
    }
    return false;
  };

  hv::sim::RunConsoleCommand(sim_->server, "message All Doorbell \"Someone is at the door\"");
  hv::sim::RunConsoleCommand(sim_->server, "sensor \"Front Door\" open");
  hv::sim::RunConsoleCommand(sim_->server, "sensor \"Hall Motion\" motion");
  ASSERT_TRUE(PumpUntil([&] { return sent("Doorbell") && sent("Front Door"); }));
  for (int i = 0; i < 200; ++i) loop_.Pump(0);
  EXPECT_FALSE(sent("Hall Motion"));

  ShutDownServerFromConsole();
  ASSERT_TRUE(LostAndNoticed());
  EXPECT_TRUE(sent("Error: Connection terminated"));
}

TEST_F(WakeSessionTest, NotificationsOffSendNothing) {
  WriteClientSetting("Notify Sensors", "Front Door");
  StartClient();
  hv::sim::RunConsoleCommand(sim_->server, "sensor \"Front Door\" open");
  ShutDownServerFromConsole();
  ASSERT_TRUE(LostAndNoticed());
  EXPECT_TRUE(notifier_.notices.empty());
}

std::string Stored(const char* section, const char* name) {
  char buffer[512];
  if (!ReadProfileString("Orvane LLC", "Varnholt", section, name, "<none>", buffer, sizeof buffer)
           .ok()) {
    return "<none>";
  }
  return buffer;
}

TEST_F(WakeSessionTest, PasswordsGoToTheKeyringFromTheSetupAndTheNextStartLogsInWithThem) {
  WriteClientSetting("Auto Login", 0u);
  const uint16_t port = sim_->server.port();
  hv::test::QueueSetupLogin(toolkit_, port, {kSetupAutoLogin, kSetupKeyring, kResultOk});
  StartClient();
  EXPECT_EQ(Stored("Client Data", "Home"), "127.0.0.1;" + std::to_string(port) + ";demo;;0");
  EXPECT_EQ(Stored("Client Settings", "LoginPassword"), "");
  EXPECT_EQ(Stored("Client Settings", "Password"), "");
  uint32_t in_keyring = 0;
  EXPECT_TRUE(ReadProfileNumber("Orvane LLC", "Varnholt", "Client Settings",
                                "Store Passwords In Keyring", &in_keyring, 0)
                  .ok());
  EXPECT_EQ(in_keyring, 1u);
  EXPECT_EQ(keyring_.entries.size(), 3u);

  // The next start logs in with the password from the keyring.
  app_.reset();
  const size_t logins = sim_->Logins();
  StartClient();
  ASSERT_TRUE(PumpUntil([&] { return sim_->Logins() == logins + 1 && Connected(); }));
}

}  // namespace

}  // namespace hv
