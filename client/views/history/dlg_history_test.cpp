#include "client/views/history/dlg_history.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <sstream>

#include "client/platform/poll_event_loop.h"
#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

constexpr int64_t kNow = 1'767'225'600'000;  // 2026-01-01 00:00 UTC
constexpr int64_t kHour = 3'600'000;

class RecordingChart : public HistoryChart {
 public:
  int32_t ColumnCount() const override { return columns; }
  void Place(const cRect& rect) override {
    placed = rect;
    columns = rect.Width() / 10;
  }
  void Show(const TimeRange& range, const std::vector<HistorySeries>& series) override {
    shown_range = range;
    shown = series;
  }
  Status SavePng(const std::string& path) override {
    saved = path;
    return Status::Ok();
  }
  void SetRangeRequest(std::function<void(const TimeRange&)> request) override {
    zoom = std::move(request);
  }

  int32_t columns = 24;
  cRect placed;
  TimeRange shown_range;
  std::vector<HistorySeries> shown;
  std::string saved;
  std::function<void(const TimeRange&)> zoom;
};

class DlgHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HistoryBatch batch;
    for (int64_t hour = 0; hour < 24; ++hour) {
      batch.samples.push_back(
          {ItemKind::kSensor, "Living Room", kNow - (24 - hour) * kHour, 17, 18.0 + hour % 5});
      batch.samples.push_back(
          {ItemKind::kSensor, "Front Door", kNow - (24 - hour) * kHour, hour % 2 ? 20 : 21, 0});
    }
    batch.samples.push_back({ItemKind::kMacro, "Good Night", kNow - kHour / 2, 3, 0});
    LogRow entry;
    entry.at_ms = kNow - 2 * kHour;
    entry.entry_type = 4;
    entry.name = "Front Door";
    entry.message = "Opened, \"quickly\"";
    entry.function_code = 20;
    batch.log.push_back(entry);
    std::unique_ptr<HistoryStore> store = OpenStore();
    ASSERT_TRUE(store->Write(batch).ok());
    services_.toolkit = &toolkit_;
    services_.open_store = [this](Status*) { return OpenStore(); };
    services_.make_chart = [this](cWindow&, int32_t frame) {
      EXPECT_EQ(frame, kHistoryChartFrame);
      auto chart = std::make_unique<RecordingChart>();
      chart_ = chart.get();
      return chart;
    };
    services_.event_loop = &loop_;
    services_.query_mode = HistoryQueries::Mode::kManual;
    services_.now_ms = [] { return kNow; };
    services_.export_folder = [this] { return folder_.File("exports"); };
  }
  std::unique_ptr<HistoryStore> OpenStore() {
    Status status;
    return HistoryStore::Open(folder_.File("history.db"), "house:1", &status);
  }
  // Runs the worker's questions and delivers their answers, as the program's loop would, until
  // none is left; the debounced search is let through first.
  void Settle(CDlgHistory& dialog) {
    clock_.Advance(kHistorySearchDebounceMs);
    for (int round = 0; round < 20; ++round) {
      loop_.Pump(0);
      if (!dialog.Queries()->AnyPending()) return;
      dialog.Queries()->RunQuestions();
    }
    ADD_FAILURE() << "the window's questions never settled";
  }
  bool Open(CDlgHistory& dialog) {
    if (!dialog.Open()) return false;
    Settle(dialog);
    return true;
  }
  cHeadlessWindow& Window(CDlgHistory& dialog) {
    return *static_cast<cHeadlessWindow*>(dialog.Window());
  }
  cReportList& List(CDlgHistory& dialog, int32_t id) { return *dialog.Window()->ReportList(id); }
  bool IsPicked(CDlgHistory& dialog, const char* name) {
    cReportList& items = List(dialog, kHistoryItems);
    const int32_t row = RowOf(dialog, name);
    for (int32_t picked = items.NextSelected(-1); picked >= 0;
         picked = items.NextSelected(picked)) {
      if (picked == row) return true;
    }
    return false;
  }
  int32_t RowOf(CDlgHistory& dialog, const char* name) {
    cReportList& items = List(dialog, kHistoryItems);
    for (int32_t row = 0; row < items.RowCount(); ++row) {
      if (items.CellText(row, 0) == name) return row;
    }
    return -1;
  }

  hv::test::cTempFolder folder_;
  cFakeClock clock_;
  cPollEventLoop loop_{clock_};
  cHeadlessToolkit toolkit_;
  HistoryWindowServices services_;
  RecordingChart* chart_ = nullptr;
};

TEST_F(DlgHistoryTest, PickingItemsChartsLinesAndLanesAndFillsTheTable) {
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  EXPECT_TRUE(dialog.IsOpen());
  EXPECT_EQ(List(dialog, kHistoryItems).RowCount(), 3);
  EXPECT_EQ(dialog.range().span(), 24 * kHour);  // "Last day" at first
  // Nothing picked: every event of the day, the newest first.
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 24 + 24 + 1 + 1);
  ASSERT_TRUE(Window(dialog).SelectRows(
      kHistoryItems, {RowOf(dialog, "Living Room"), RowOf(dialog, "Front Door")}));
  Settle(dialog);
  ASSERT_NE(chart_, nullptr);
  ASSERT_EQ(chart_->shown.size(), 2u);
  for (const HistorySeries& series : chart_->shown) {
    EXPECT_EQ(series.columns.size(), 24u);
    EXPECT_EQ(series.timeline, series.name == "Front Door") << series.name;
  }
  // The door's entry comes with the door's samples.
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 24 + 24 + 1);
  EXPECT_STREQ(List(dialog, kHistoryEvents).CellText(0, 1).CStr(), "Sensor");  // no macro
  // Zoomed out to before anything was recorded, the temperature stays a line.
  chart_->zoom({kNow - 72 * kHour, kNow - 48 * kHour});
  Settle(dialog);
  ASSERT_EQ(chart_->shown.size(), 2u);
  for (const HistorySeries& series : chart_->shown) {
    EXPECT_EQ(series.timeline, series.name == "Front Door") << series.name;
  }
}

TEST_F(DlgHistoryTest, KindAndFindNarrowTheListWhilePicksStayDrawnAndComeBackAfterARestart) {
  std::string kept_picks;
  services_.load_picks = [&] { return kept_picks; };
  services_.save_picks = [&](const std::string& picks) { kept_picks = picks; };
  services_.screen_place = [] { return ScreenPlace{{0, 0, 1024, 768}, {700, 500, 1000, 700}}; };
  {
    CDlgHistory dialog(services_, nullptr);
    ASSERT_TRUE(Open(dialog));
    cHeadlessWindow& window = Window(dialog);
    const cRect placed = window.WindowRect();  // beside the main window, and all on its screen
    EXPECT_GE(placed.left, 0);
    EXPECT_GE(placed.top, 0);
    EXPECT_LE(placed.right, 1024);
    EXPECT_LE(placed.bottom, 768);
    ASSERT_TRUE(window.SelectRows(kHistoryItems, {RowOf(dialog, "Good Night")}));
    Settle(dialog);
    EXPECT_EQ(chart_->shown.size(), 1u);
    ASSERT_TRUE(window.Choose(kHistoryKind, 2));  // sensors
    Settle(dialog);
    EXPECT_EQ(List(dialog, kHistoryItems).RowCount(), 2);
    // The hidden macro stays picked: still drawn, and the table still its own.
    ASSERT_EQ(chart_->shown.size(), 1u);
    EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 1);
    ASSERT_TRUE(window.Type(kHistoryFind, "LIVING"));
    Settle(dialog);
    ASSERT_EQ(List(dialog, kHistoryItems).RowCount(), 1);
    ASSERT_TRUE(window.SelectRows(kHistoryItems, {0}));
    Settle(dialog);
    ASSERT_EQ(chart_->shown.size(), 2u);
    EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 24 + 1);
    ASSERT_TRUE(window.Type(kHistoryFind, "porch"));  // finds nothing: nothing is taken away
    Settle(dialog);
    EXPECT_EQ(List(dialog, kHistoryItems).RowCount(), 0);
    EXPECT_EQ(chart_->shown.size(), 2u);
    EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 24 + 1);
    ASSERT_TRUE(window.Type(kHistoryFind, ""));
    Settle(dialog);
    ASSERT_TRUE(window.Choose(kHistoryKind, 0));  // all kinds: both show, still picked
    Settle(dialog);
    EXPECT_EQ(chart_->shown.size(), 2u);
    EXPECT_TRUE(IsPicked(dialog, "Good Night"));
    EXPECT_TRUE(IsPicked(dialog, "Living Room"));
  }
  EXPECT_EQ(kept_picks, "2:Living Room\n3:Good Night\n");
  // The next start picks them again by kind and name.
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  ASSERT_EQ(chart_->shown.size(), 2u);
  EXPECT_TRUE(IsPicked(dialog, "Living Room"));
  EXPECT_FALSE(IsPicked(dialog, "Front Door"));
}

TEST_F(DlgHistoryTest, OpensAtOnceWhileTheStoreIsHeldAndSaysItIsWaiting) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  services_.query_mode = HistoryQueries::Mode::kThread;
  services_.open_store = [this, released](Status*) {
    released.wait();  // another client holds the store
    return OpenStore();
  };
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(dialog.Open());  // returns while the store is still held
  EXPECT_TRUE(dialog.IsOpen());
  EXPECT_STREQ(dialog.Window()->Control(kHistoryStatus)->Text().CStr(), "Reading the history...");
  clock_.Advance(kHistoryWaitNoticeMs);
  loop_.Pump(0);
  EXPECT_STREQ(dialog.Window()->Control(kHistoryStatus)->Text().CStr(),
               "Waiting for the history store; another program is writing to it...");
  // The window still answers meanwhile: a pick or a range asks nothing of the store yet.
  ASSERT_TRUE(Window(dialog).Choose(kHistoryRange, 0));
  release.set_value();
  for (int i = 0; i < 1000 && dialog.Queries()->AnyPending(); ++i) loop_.Pump(50);
  EXPECT_EQ(List(dialog, kHistoryItems).RowCount(), 3);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 2 + 1);  // the last hour's
}

TEST_F(DlgHistoryTest, TheSearchAsksOnceTheTypingPauses) {
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  cHeadlessWindow& window = Window(dialog);
  for (const char* typed : {"g", "go", "goo", "good"}) {
    ASSERT_TRUE(window.Type(kHistorySearch, typed));
    clock_.Advance(kHistorySearchDebounceMs - 50);
    loop_.Pump(0);
    EXPECT_FALSE(dialog.Queries()->Pending(QuerySlot::kEvents)) << typed;
  }
  clock_.Advance(50);
  loop_.Pump(0);
  EXPECT_TRUE(dialog.Queries()->Pending(QuerySlot::kEvents));
  Settle(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 1);
  // A box ticked asks at once.
  ASSERT_TRUE(window.Click(kHistoryRegex));
  EXPECT_TRUE(dialog.Queries()->Pending(QuerySlot::kEvents));
}

TEST_F(DlgHistoryTest, RangesFromToAndZoomMoveTheWindow) {
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  cHeadlessWindow& window = Window(dialog);
  ASSERT_TRUE(window.Choose(kHistoryRange, 0));  // last hour: its first moment included
  Settle(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 2 + 1);
  // Times typed over the preset's, then Show: the range is theirs.
  ASSERT_TRUE(window.Type(kHistoryFrom, FormatLocalTime(kNow - 3 * kHour).c_str()));
  Settle(dialog);
  ASSERT_TRUE(window.Click(kHistoryShow));
  Settle(dialog);
  EXPECT_EQ(dialog.range().from_ms, kNow - 3 * kHour);
  EXPECT_EQ(window.ComboBox(kHistoryRange)->Selection(), 5);
  ASSERT_TRUE(window.Choose(kHistoryRange, 0));
  Settle(dialog);
  ASSERT_TRUE(window.Choose(kHistoryRange, 5));  // from-to: the texts of the last hour
  Settle(dialog);
  EXPECT_EQ(dialog.range().span(), kHour);
  ASSERT_TRUE(window.Type(kHistoryFrom, "not a time"));
  Settle(dialog);
  ASSERT_TRUE(window.Click(kHistoryShow));
  Settle(dialog);
  ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
  EXPECT_EQ(dialog.range().span(), kHour);  // kept as it was
  chart_->zoom({kNow - 3 * kHour, kNow - kHour});
  Settle(dialog);
  EXPECT_EQ(dialog.range().from_ms, kNow - 3 * kHour);
  EXPECT_EQ(chart_->shown_range.to_ms, kNow - kHour);
  EXPECT_EQ(window.ComboBox(kHistoryRange)->Selection(), 5);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 2 + 2 + 1);
}

TEST_F(DlgHistoryTest, SearchFiltersTheTableOrFindsWordsInTheWholeHistory) {
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  cHeadlessWindow& window = Window(dialog);
  ASSERT_TRUE(window.Type(kHistorySearch, "good"));
  Settle(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 1);
  EXPECT_STREQ(window.Control(kHistoryStatus)->Text().CStr(), "1 event matches");
  ASSERT_TRUE(window.Type(kHistorySearch, "front door quickly"));  // name and message
  Settle(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 1);
  ASSERT_TRUE(window.Click(kHistoryRegex));
  Settle(dialog);
  ASSERT_TRUE(window.Type(kHistorySearch, "^(Front|Good)"));
  Settle(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 24 + 1 + 1);
  ASSERT_TRUE(window.Type(kHistorySearch, "(unclosed"));
  Settle(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), 0);
  EXPECT_TRUE(toolkit_.HeadlessMessageBox().Shown().empty());  // said in the status line
  ASSERT_TRUE(window.Click(kHistoryRegex));
  Settle(dialog);
  ASSERT_TRUE(window.Choose(kHistoryRange, 0));
  Settle(dialog);
  ASSERT_TRUE(window.Click(kHistoryWholeStore));
  Settle(dialog);
  ASSERT_TRUE(window.Type(kHistorySearch, "quick"));
  Settle(dialog);
  ASSERT_EQ(List(dialog, kHistoryEvents).RowCount(), 1);  // outside the range, found by word
  EXPECT_STREQ(List(dialog, kHistoryEvents).CellText(0, 5).CStr(), "Opened, \"quickly\"");
}

TEST_F(DlgHistoryTest, ExportsTheWholeRangeAsCsvSayingHowManyFirstAndTheChartAsPng) {
  // More than the table's ten thousand rows.
  HistoryBatch many;
  for (int64_t i = 0; i < 12'000; ++i) {
    many.samples.push_back(
        {ItemKind::kSensor, "Hall Motion", kNow - 20 * kHour + i * 1000, i % 2 ? 20 : 21, 0});
  }
  ASSERT_TRUE(OpenStore()->Write(many).ok());
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  cHeadlessWindow& window = Window(dialog);
  EXPECT_EQ(List(dialog, kHistoryEvents).RowCount(), static_cast<int32_t>(kHistoryEventRows));
  const std::string csv_path = folder_.File("events.csv");
  toolkit_.HeadlessFileDialog().QueuePath(csv_path.c_str());
  ASSERT_TRUE(window.Click(kHistoryExportCsv));
  // The dialog opens in the export folder, not the program's hidden one.
  EXPECT_STREQ(toolkit_.HeadlessFileDialog().Asked().back().suggested.CStr(),
               (folder_.File("exports") + "/history.csv").c_str());
  // First the count, told before the rows are written.
  dialog.Queries()->RunQuestions();
  loop_.Pump(0);
  EXPECT_STREQ(window.Control(kHistoryStatus)->Text().CStr(),
               ("Writing 12050 events to " + csv_path + "...").c_str());
  EXPECT_FALSE(std::ifstream(csv_path).good());
  Settle(dialog);
  EXPECT_STREQ(window.Control(kHistoryStatus)->Text().CStr(),
               ("12050 events written to " + csv_path).c_str());
  std::ifstream file(csv_path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string csv = text.str();
  EXPECT_EQ(csv.rfind("Time,Kind,Name,State,Value,Message,", 0), 0u);
  // Every row of the range, oldest first, with its offset from UTC.
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 12'050);
  EXPECT_NE(csv.find("\r\n2025-12-31T00:00:00.000"), std::string::npos) << csv.substr(0, 200);
  EXPECT_NE(csv.find("Living Room,Temperature,18,,,,,,,,\r\n"), std::string::npos);
  // An entry reads as in the table: the kind of the item it names, the table's value text.
  cReportList& table = List(dialog, kHistoryEvents);
  int32_t entry = -1;
  for (int32_t row = 0; row < table.RowCount() && entry < 0; ++row) {
    if (std::string(table.CellText(row, 5).CStr()) == "Opened, \"quickly\"") entry = row;
  }
  ASSERT_GE(entry, 0);
  EXPECT_STREQ(table.CellText(entry, 1).CStr(), "Sensor");
  EXPECT_NE(csv.find(std::string(",Sensor,Front Door,") + table.CellText(entry, 3).CStr() + ',' +
                     table.CellText(entry, 4).CStr() + ",\"Opened, \"\"quickly\"\"\","),
            std::string::npos);

  toolkit_.HeadlessFileDialog().QueuePath("/proc/no/such/events.csv");
  ASSERT_TRUE(window.Click(kHistoryExportCsv));
  Settle(dialog);
  // A clear failure, with the reason the user can act on.
  ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
  EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown()[0].text,
            "The events could not be written (cannot write beside /proc/no/such/events.csv: No "
            "such file or directory).");
  toolkit_.HeadlessFileDialog().QueueCancel();
  ASSERT_TRUE(window.Click(kHistoryExportPng));
  EXPECT_TRUE(chart_->saved.empty());
  toolkit_.HeadlessFileDialog().QueuePath("chart.png");
  ASSERT_TRUE(window.Click(kHistoryExportPng));
  EXPECT_EQ(chart_->saved, "chart.png");
}

TEST_F(DlgHistoryTest, ItemDaysAreSetForPickedItemsAndCheckedAsANumber) {
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  cHeadlessWindow& window = Window(dialog);
  ASSERT_TRUE(window.Click(kHistoryItemDaysSet));  // nothing picked
  Settle(dialog);
  ASSERT_TRUE(window.SelectRows(kHistoryItems, {RowOf(dialog, "Front Door")}));
  Settle(dialog);
  ASSERT_TRUE(window.Type(kHistoryItemDays, "0"));
  Settle(dialog);
  ASSERT_TRUE(window.Click(kHistoryItemDaysSet));
  Settle(dialog);
  EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 2u);
  ASSERT_TRUE(window.Type(kHistoryItemDays, "30"));
  Settle(dialog);
  ASSERT_TRUE(window.Click(kHistoryItemDaysSet));
  Settle(dialog);
  EXPECT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 2u);
  for (const StoredItem& item : OpenStore()->Items()) {
    EXPECT_EQ(item.keep_days, item.name == "Front Door" ? 30 : 0);
  }
  ASSERT_TRUE(window.Click(kHistoryClose));
  Settle(dialog);
  EXPECT_FALSE(dialog.IsOpen());
  ASSERT_TRUE(Open(dialog));  // opens again with the same window
  EXPECT_TRUE(dialog.IsOpen());
}

TEST_F(DlgHistoryTest, WithoutAStoreTheWindowSaysSo) {
  services_.open_store = [](Status*) { return std::unique_ptr<HistoryStore>(); };
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  EXPECT_EQ(List(dialog, kHistoryItems).RowCount(), 0);
  EXPECT_STREQ(dialog.Window()->Control(kHistoryStatus)->Text().CStr(),
               "No history is recorded for this house.");
}

TEST_F(DlgHistoryTest, ChartAndTableFollowTheWindowsSizeDownToAReadableMinimum) {
  CDlgHistory dialog(services_, nullptr);
  ASSERT_TRUE(Open(dialog));
  cHeadlessWindow& window = Window(dialog);
  ASSERT_TRUE(window.SelectRows(kHistoryItems, {RowOf(dialog, "Living Room")}));
  Settle(dialog);
  auto rect = [&](int32_t id) { return window.Control(id)->Rect(); };
  const cRect client = window.ClientRect();
  const cRect chart = rect(kHistoryChartFrame);
  const cRect table = rect(kHistoryEvents);
  const cRect close = rect(kHistoryClose);

  window.ResizeTo(client.Width() + 400, client.Height() + 300);
  Settle(dialog);
  EXPECT_EQ(rect(kHistoryChartFrame).Width(), chart.Width() + 400);
  EXPECT_EQ(chart_->placed, rect(kHistoryChartFrame));
  EXPECT_GT(rect(kHistoryChartFrame).Height(), chart.Height() + 100);
  EXPECT_EQ(rect(kHistoryEvents).Width(), table.Width() + 400);
  EXPECT_GT(rect(kHistoryEvents).Height(), table.Height() + 100);
  EXPECT_EQ(rect(kHistoryClose).right, close.right + 400);  // the buttons keep their corner
  EXPECT_EQ(rect(kHistoryClose).bottom, close.bottom + 300);
  // The chart has more columns now: its data is reduced again to them.
  ASSERT_EQ(chart_->shown.size(), 1u);
  EXPECT_EQ(chart_->shown[0].columns.size(), static_cast<size_t>(chart_->columns));

  window.ResizeTo(1, 1);
  Settle(dialog);
  const cRect least = window.ClientRect();
  EXPECT_EQ(least.Width(), client.Width());  // the row of range controls needs it
  EXPECT_LT(least.Height(), client.Height());
  // Smaller, yet nothing overlaps and the table keeps most of its rows.
  EXPECT_LE(rect(kHistoryChartFrame).bottom, rect(kHistorySearch).top);
  EXPECT_LE(rect(kHistoryItems).bottom, rect(kHistoryItemDays).top);
  EXPECT_LE(rect(kHistoryItemDays).bottom, rect(kHistorySearch).top);
  EXPECT_LE(rect(kHistorySearch).bottom, rect(kHistoryEvents).top);
  EXPECT_LE(rect(kHistoryEvents).bottom, rect(kHistoryClose).top);
  EXPECT_GE(rect(kHistoryEvents).Height(), table.Height() / 2);
  EXPECT_EQ(rect(kHistoryClose).bottom, least.bottom - (client.bottom - close.bottom));
}

}  // namespace
}  // namespace hv::history
