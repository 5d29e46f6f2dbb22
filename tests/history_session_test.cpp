// The house's history through the whole client: the application object logs in to housesim
// twice, each session with the program's history, and the History window of the second
// shows what both sessions received, with the log the server sent again on the second login
// kept once.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "client/history/history_store.h"
#include "client/protocol/server_connection.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/history/history_desk.h"
#include "core/testing/temp_folder.h"
#include "tests/headless_desk_session.h"

namespace hv {

namespace {

class HistorySessionTest : public hv::test::DeskSessionTest {
 protected:
  // The server's log is dated by the session's clock, in local time: the history keeps the
  // same time, or the start's trim would take the entries of 2024 for a year old.
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    DeskSessionTest::SetUp();
  }
  int64_t NowMs() const {
    constexpr int64_t kClockStart = 1'705'311'000'000;  // the fake clock's 01/15/2024 09:30
    return kClockStart + (clock_.TickCount() - 1000);
  }
  std::unique_ptr<hv::history::HistoryDesk> StartWithHistory() {
    hv::history::HistoryDeskServices services;
    services.toolkit = &toolkit_;
    services.event_loop = &loop_;
    services.path = folder_.File("state/hearthview/history.db");
    services.now_ms = [this] { return NowMs(); };
    auto desk = std::make_unique<hv::history::HistoryDesk>(std::move(services));
    app_ = std::make_unique<CHouseDeskApp>(environment_);
    app_->SetHistory(desk.get());
    EXPECT_TRUE(app_->InitInstance());
    return desk;
  }
  // Lets the answers of the login and of the house's changes arrive.
  void Settle(size_t logins) {
    ASSERT_TRUE(PumpUntil([&] { return sim_->Logins() == logins; }));
    for (int i = 0; i < 400; ++i) loop_.Pump(0);
  }
  void EndSession(std::unique_ptr<hv::history::HistoryDesk> desk) {
    app_->SetHistory(nullptr);
    desk.reset();  // writes what is still queued
    app_.reset();
  }

  hv::test::cTempFolder folder_;
};

TEST_F(HistorySessionTest, TheWindowShowsEventsOfBothSessionsAndTheResentLogOnce) {
  auto desk = StartWithHistory();
  Settle(1);
  ASSERT_TRUE(sim_->house.SetSensorStatus("Front Door", 20, 0, "test").ok());
  for (int i = 0; i < 400; ++i) loop_.Pump(0);
  EndSession(std::move(desk));

  desk = StartWithHistory();
  Settle(2);
  ASSERT_TRUE(sim_->house.SetSensorStatus("Front Door", 21, 0, "test").ok());
  for (int i = 0; i < 400; ++i) loop_.Pump(0);
  desk->Flush();         // the window reads what is written
  clock_.Advance(1000);  // the changes are in the past of the window's "Last day"
  desk->OpenWindow(nullptr);
  ASSERT_NE(desk->Window(), nullptr);
  // The window reads on a worker thread: its answers arrive through the loop.
  ASSERT_TRUE(PumpUntil([&] { return !desk->Window()->Queries()->AnyPending(); }, 200000));
  auto& window = *static_cast<cHeadlessWindow*>(desk->Window()->Window());
  cReportList& events = *window.ReportList(hv::history::kHistoryEvents);
  std::map<std::string, int> log_rows;
  int door_open = 0, door_closed = 0;
  for (int32_t row = 0; row < events.RowCount(); ++row) {
    std::string kind = events.CellText(row, 1).CStr();
    std::string name = events.CellText(row, 2).CStr();
    std::string state = events.CellText(row, 3).CStr();
    // Entries of the server's log; one that tells of a status shares its row, and its kind.
    const std::string message = events.CellText(row, 5).CStr();
    if (!message.empty()) ++log_rows[name + "|" + message + "|" + state];
    if (kind == "Sensor" && name == "Front Door") {
      door_open += state.find("Open") != std::string::npos;
      door_closed += state.find("Closed") != std::string::npos;
    }
  }
  EXPECT_GE(door_open, 1);    // the first session's change
  EXPECT_GE(door_closed, 1);  // the second session's
  EXPECT_FALSE(log_rows.empty());
  // Each of the server's entries is kept once, though both logins were sent the whole log.
  hv::Status status;
  auto store = hv::history::HistoryStore::Open(
      folder_.File("state/hearthview/history.db"),
      hv::history::HouseKey("127.0.0.1", sim_->server.port()), &status);
  ASSERT_NE(store, nullptr) << status.ToString();
  std::map<std::string, int> kept;
  for (const hv::history::StoredEvent& event : store->Events(0, INT64_MAX, {}, 100000)) {
    if (event.kind != hv::ItemKind::kLogName) continue;
    ++kept[event.name + "|" + event.message + "|" + std::to_string(event.code) + "|" +
           event.date_text + "|" + event.time_text];
  }
  ASSERT_GE(kept.size(), 2u);  // the door opened in the first session, closed in the second
  for (const auto& [entry, count] : kept) EXPECT_EQ(count, 1) << entry;
  app_->SetHistory(nullptr);
}

TEST_F(HistorySessionTest, TheHouseIsUnknownFromTheMomentTheConnectionIsLost) {
  // A quiet quarter of an hour, then the server goes away.
  auto desk = StartWithHistory();
  Settle(1);
  clock_.Advance(15 * 60'000);
  const int64_t lost_from = NowMs();
  const uint16_t port = sim_->server.port();
  ForgetServer();
  for (int i = 0; i < 200 && app_->Connection().IsConnected(); ++i) loop_.Pump(1);
  ASSERT_FALSE(app_->Connection().IsConnected());
  // The program runs on without a server for another quarter of an hour, then ends.
  clock_.Advance(15 * 60'000);
  const int64_t ended = NowMs();
  EndSession(std::move(desk));

  hv::Status status;
  auto store = hv::history::HistoryStore::Open(folder_.File("state/hearthview/history.db"),
                                               hv::history::HouseKey("127.0.0.1", port), &status);
  ASSERT_NE(store, nullptr) << status.ToString();
  ASSERT_FALSE(store->Items().empty());
  for (const hv::history::StoredItem& item : store->Items()) {
    // Known until the loss was seen, unknown from then on: not from the quiet house's last
    // answer, nor only from the program's end.
    std::vector<hv::history::ItemPoint> points = store->Points(item.id, 0, INT64_MAX);
    auto mark = std::find_if(points.begin(), points.end(), [](const auto& point) {
      return point.status == hv::history::kNotReceiving;
    });
    ASSERT_NE(mark, points.end()) << item.name;
    EXPECT_GE(mark->at_ms, lost_from) << item.name;
    EXPECT_LT(mark->at_ms, ended) << item.name;
  }
}

}  // namespace

}  // namespace hv
