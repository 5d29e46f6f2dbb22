#include "client/views/history/dlg_history.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "client/history/history_csv.h"
#include "client/history/history_writer.h"
#include "client/platform/event_loop.h"
#include "client/ui/command_routes.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/views/history/dlg_history_layout.h"
#include "client/views/history/event_search.h"
#include "client/views/history/export_folder.h"
#include "client/views/history/history_event_texts.h"
#include "client/views/history/history_events.h"
#include "client/views/history/history_picks.h"
#include "client/views/history/lane_marks.h"
#include "core/file/file_replace.h"
#include "core/file/write_all.h"
#include "core/system_error.h"

namespace hv::history {

namespace {

const char* const kKindTexts[] = {"All kinds", "Switches", "Sensors", "Macros", "Modes"};
const char* const kRangeTexts[] = {"Last hour",  "Last day",  "Last week",
                                   "Last month", "Last year", "From - to"};

// What the table's question found: its rows as text, and the status line that tells of them.
struct EventsAnswer {
  std::vector<std::vector<std::string>> rows;
  std::string status;
};

EventsAnswer FindEvents(HistoryStore& store, const TimeRange& range,
                        const std::vector<int64_t>& picks, const ItemKinds& kinds,
                        const std::string& pattern, bool regex, bool whole_store) {
  EventsAnswer answer;
  std::vector<StoredEvent> events;
  EventSearch search;
  if (whole_store && !pattern.empty()) {
    events = store.SearchLog(pattern, kHistoryEventRows + 1);
  } else {
    events = store.Events(range.from_ms, range.to_ms, picks, kHistoryEventRows + 1);
    if (const Status set = search.Set(pattern, regex); !set.ok()) {
      answer.status = set.message();
      return answer;
    }
  }
  MergeStatusEchoes(&events);
  const bool more = events.size() > kHistoryEventRows;
  for (size_t i = 0; i < events.size() && answer.rows.size() < kHistoryEventRows; ++i) {
    std::vector<std::string> texts = EventTexts(events[i], kinds);
    if (search.Matches(texts)) answer.rows.push_back(std::move(texts));
  }
  const size_t shown = answer.rows.size();
  std::string status = std::to_string(shown) + (shown == 1 ? " event" : " events");
  if (search.IsActive()) {
    // The search looks at the newest rows only: saying so keeps "0 events" from reading as
    // "none in the range".
    status += shown == 1 ? " matches" : " match";
    if (more) {
      status += " among the newest " + std::to_string(kHistoryEventRows) +
                "; narrow the range to search the rest";
    }
  } else if (more) {
    status += " (the newest; narrow the range to see the rest)";
  }
  answer.status = std::move(status);
  return answer;
}

// What an item's values measure: a dimmer's level in percent, a sensor's what its status says.
std::string Measure(HistoryStore& store, const StoredItem& item) {
  if (item.kind == ItemKind::kSwitch) return "Level (%)";
  ItemPoint last;
  if (item.kind != ItemKind::kSensor || !store.LastPoint(item.id, &last) || !IsKnown(last)) {
    return std::string();
  }
  return StateName(item.kind, last.status);
}

// What the chart's question found: the series to draw, and the lane-or-line decisions made.
struct ChartAnswer {
  std::vector<HistorySeries> series;
  std::map<int64_t, bool> lanes;
};

ChartAnswer ReduceSeries(HistoryStore& store, const TimeRange& range, int32_t columns,
                         const std::vector<StoredItem>& picked, std::map<int64_t, bool> lanes,
                         int64_t now) {
  ChartAnswer answer;
  for (const StoredItem& item : picked) {
    auto known = lanes.find(item.id);
    if (known == lanes.end()) {
      // Decided once, from all that is kept of the item: decided per range, a temperature
      // would turn into an empty lane where it was not yet recorded, and a dimmer into a lane
      // where it was only switched full on and off, and the chart would jump as one zooms.
      PixelReduction whole(0, now + 1, 1);
      const bool lane =
          store.Reduce(item.id, now, &whole).failed() || DrawnAsLane(item.kind, whole.columns());
      known = lanes.emplace(item.id, lane).first;
    }
    PixelReduction reduction(range.from_ms, range.to_ms, columns);
    if (store.Reduce(item.id, now, &reduction).failed()) continue;
    answer.series.push_back(
        {item.name, item.kind, known->second, reduction.columns(), Measure(store, item)});
  }
  answer.lanes = std::move(lanes);
  return answer;
}

// Writes the request's CSV to `path` through a temporary file beside it: the file is replaced
// whole or not at all, and a year of rows never sits in memory.
Status WriteCsvFile(HistoryStore* store, const HistoryCsvRequest& request, const std::string& path,
                    int64_t* rows) {
  if (store == nullptr) return Status::Failure(Where::kHistory, "no history is recorded");
  cFileReplacement file(path, ".history-");
  if (!file.IsOpen()) {
    return SystemError(Where::kFile, "cannot write beside " + path, errno);
  }
  Status written;
  Status read = WriteHistoryCsv(
      *store, request,
      [&](std::string_view bytes) {
        written = WriteAll(file.Descriptor(), bytes.data(), bytes.size(), path);
        return written.ok();
      },
      rows);
  if (!written.ok()) return written;
  if (!read.ok()) return read;
  // An export is the user's own document: the permissions any new file of theirs gets.
  return file.Commit(UserDocumentMode());
}

}  // namespace

// The table's rows, kept by the window and read by the list as it draws them: filling
// ten thousand rows copies no text.
class CDlgHistory::EventRows : public cReportRowTexts {
 public:
  std::string_view Text(cItemValue value, int32_t column) const override {
    if (value >= rows.size() || column < 0 || static_cast<size_t>(column) >= kEventColumnCount) {
      return std::string_view();
    }
    return rows[value][static_cast<size_t>(column)];
  }
  std::vector<std::vector<std::string>> rows;
};

CDlgHistory::CDlgHistory(HistoryWindowServices services, cWindow* owner)
    : services_(std::move(services)),
      owner_(owner),
      item_list_([this] { OnPicksChanged(); }),
      event_rows_(std::make_unique<EventRows>()) {}

CDlgHistory::~CDlgHistory() {
  StopTimer(&search_timer_);
  StopTimer(&wait_timer_);
  StopTimer(&retry_timer_);
  if (wake_watch_ != 0) services_.event_loop->RemoveWatch(wake_watch_);
  // The worker ends before the window its answers would fill.
  queries_.reset();
  if (window_ != nullptr) {
    if (cReportList* events = window_->ReportList(kHistoryEvents)) {
      events->DeleteAllRows();
      events->SetRowTexts(nullptr);
    }
    window_->SetEvents(nullptr);
  }
}

int64_t CDlgHistory::Now() const { return services_.now_ms ? services_.now_ms() : SystemNowMs(); }

bool CDlgHistory::IsOpen() const { return window_ != nullptr && window_->IsVisible(); }

void CDlgHistory::MakeWindow() {
  window_ = services_.toolkit->CreateTopLevelWindow(HistoryLayout(), owner_);
  if (window_ == nullptr) return;
  window_->SetEvents(this);
  if (cComboBox* kinds = window_->ComboBox(kHistoryKind)) {
    for (size_t i = 0; i < std::size(kKindTexts); ++i) kinds->AddEntry(kKindTexts[i], i);
    kinds->Select(0);
  }
  if (cComboBox* ranges = window_->ComboBox(kHistoryRange)) {
    for (size_t i = 0; i < std::size(kRangeTexts); ++i) ranges->AddEntry(kRangeTexts[i], i);
    ranges->Select(static_cast<int32_t>(RangePreset::kLastDay));
  }
  item_list_.Attach(window_.get());
  if (cReportList* events = window_->ReportList(kHistoryEvents)) {
    events->SetListStyles(kListFullRowSelect);
    events->SetRowTexts(event_rows_.get());
    // Wide enough for a time, a name and a state read whole; the message takes what is left.
    const char* const kWidest[] = {"12/31/2026 12:00:00 PM", "Sensor",  "Living Room Temperature",
                                   "Door/Window Open (Min)", "-100.25", ""};
    static constexpr int32_t kLeast[] = {140, 60, 130, 170, 70, 300};
    for (size_t i = 0; i < kEventColumnCount; ++i) {
      const int32_t width = std::max({kLeast[i], events->TextWidth(kWidest[i], false),
                                      events->TextWidth(kEventColumns[i], true)});
      events->InsertColumn(static_cast<int32_t>(i), kEventColumns[i], width);
    }
  }
  arrangement_.Measure(*window_);
  window_->SetMinimumSize(arrangement_.MinimumWidth(), arrangement_.MinimumHeight());
  if (services_.screen_place) {
    window_->MoveWindow(PlaceWindow(window_->WindowRect(), services_.screen_place()), false);
  }
  if (services_.make_chart) chart_ = services_.make_chart(*window_, kHistoryChartFrame);
  if (chart_ != nullptr) {
    chart_->SetRangeRequest([this](const TimeRange& range) { ShowRange(range); });
  }
  // Without a loop to hear the worker, the questions are answered where they are asked.
  const HistoryQueries::Mode mode =
      services_.event_loop != nullptr ? services_.query_mode : HistoryQueries::Mode::kManual;
  queries_ = std::make_unique<HistoryQueries>(services_.open_store, mode);
  if (services_.event_loop != nullptr && queries_->WakeFd() >= 0) {
    wake_watch_ =
        services_.event_loop->WatchReadable(queries_->WakeFd(), [this] { OnAnswersReady(); });
  }
}

bool CDlgHistory::Open() {
  if (services_.toolkit == nullptr) return false;
  if (window_ == nullptr) {
    MakeWindow();
    if (window_ == nullptr) return false;
  }
  // A fresh connection each time: the house may have changed since the window was last open.
  queries_->Reopen();
  lanes_.clear();
  items_known_ = false;
  window_->Show(true);
  window_->Activate();
  Say("Reading the history...", false);
  AskItems();
  OnRangeChosen();
  if (services_.event_loop != nullptr && wait_timer_ == 0 && queries_->Pending(QuerySlot::kItems)) {
    wait_timer_ = services_.event_loop->StartTimer(kHistoryWaitNoticeMs, [this] {
      StopTimer(&wait_timer_);
      if (queries_->Pending(QuerySlot::kItems)) {
        Say("Waiting for the history store; another program is writing to it...", false);
      }
    });
  }
  return true;
}

void CDlgHistory::Close() {
  if (window_ != nullptr) window_->Show(false);
  StopTimer(&search_timer_);
  StopTimer(&retry_timer_);
  for (QuerySlot slot : {QuerySlot::kItems, QuerySlot::kChart, QuerySlot::kEvents}) {
    queries_->Cancel(slot);
  }
}

void CDlgHistory::StopTimer(uint32_t* timer) {
  if (*timer != 0 && services_.event_loop != nullptr) services_.event_loop->StopTimer(*timer);
  *timer = 0;
}

void CDlgHistory::Ask(QuerySlot slot, HistoryQueries::Question question) {
  queries_->Ask(slot, std::move(question));
  if (services_.event_loop == nullptr) {
    queries_->RunQuestions();
    queries_->Deliver();
  }
}

void CDlgHistory::OnAnswersReady() {
  if (queries_ != nullptr) queries_->Deliver();
}

void CDlgHistory::AskItems() {
  Ask(QuerySlot::kItems, [this](HistoryStore* store) -> HistoryQueries::Answer {
    std::vector<StoredItem> items;
    std::vector<ItemUsage> usage;
    if (store != nullptr) {
      items = store->Items();
      usage = store->Usage();
    }
    const Status& opened = queries_->OpenStatus();
    const bool waiting =
        store == nullptr && opened.declined() && opened.message() == kWaitingForStore;
    return [this, items = std::move(items), usage = std::move(usage), has = store != nullptr,
            waiting]() mutable { TakeItems(std::move(items), std::move(usage), has, waiting); };
  });
}

void CDlgHistory::TakeItems(std::vector<StoredItem> items, std::vector<ItemUsage> usage,
                            bool has_store, bool waiting) {
  StopTimer(&wait_timer_);
  if (waiting && services_.event_loop != nullptr) {
    Say("Waiting for the history store; another program is writing to it...", false);
    if (retry_timer_ == 0) {
      retry_timer_ = services_.event_loop->StartTimer(kHistoryRetryMs, [this] {
        StopTimer(&retry_timer_);
        if (IsOpen()) AskItems();
      });
    }
    return;
  }
  item_list_.Take(std::move(items), std::move(usage));
  has_store_ = has_store;
  const bool first = !items_known_;
  items_known_ = true;
  if (first && services_.load_picks) item_list_.RestorePicks(services_.load_picks());
  item_list_.Fill();
  if (!has_store_) {
    Say("No history is recorded for this house.", false);
    return;
  }
  Refresh();
}

void CDlgHistory::Say(const char* text, bool error) {
  SetControlText(*window_, kHistoryStatus, text);
  if (error && services_.toolkit != nullptr) {
    services_.toolkit->MessageBox().Show(text, "History", cMessageBoxIcon::kError,
                                         cMessageBoxButtons::kOk, window_.get());
  }
}

void CDlgHistory::OnPicksChanged() {
  if (services_.save_picks) services_.save_picks(item_list_.SavedPicks());
  // The first picked item's own days, for the "Keep days" field.
  const std::vector<StoredItem> picked = item_list_.Picked();
  if (!picked.empty()) {
    SetControlText(*window_, kHistoryItemDays,
                   picked[0].keep_days > 0 ? std::to_string(picked[0].keep_days).c_str() : "");
  }
  Refresh();
}

bool CDlgHistory::TakeFromTo() {
  std::optional<int64_t> from = ParseLocalTime(ControlText(*window_, kHistoryFrom).CStr());
  std::optional<int64_t> to = ParseLocalTime(ControlText(*window_, kHistoryTo).CStr());
  if (!from || !to || *to <= *from) {
    Say("Enter the range as two times, the first before the second, like 12/31/2026 06:00 PM.",
        true);
    return false;
  }
  range_ = {*from, *to};
  return true;
}

void CDlgHistory::OnRangeChosen() {
  cComboBox* ranges = window_->ComboBox(kHistoryRange);
  auto preset = static_cast<RangePreset>(
      ranges != nullptr
          ? std::clamp(ranges->Selection(), 0, static_cast<int32_t>(RangePreset::kFromTo))
          : 1);
  if (preset == RangePreset::kFromTo) {
    if (!TakeFromTo()) return;
  } else {
    int64_t now = Now();
    range_ = PresetRange(preset, now);
    SetControlText(*window_, kHistoryFrom, FormatLocalTime(range_.from_ms).c_str());
    SetControlText(*window_, kHistoryTo, FormatLocalTime(range_.to_ms).c_str());
  }
  Refresh();
}

void CDlgHistory::ShowRange(const TimeRange& range) {
  if (window_ == nullptr || range.span() <= 0) return;
  range_ = range;
  if (cComboBox* ranges = window_->ComboBox(kHistoryRange)) {
    ranges->Select(static_cast<int32_t>(RangePreset::kFromTo));
  }
  SetControlText(*window_, kHistoryFrom, FormatLocalTime(range_.from_ms).c_str());
  SetControlText(*window_, kHistoryTo, FormatLocalTime(range_.to_ms).c_str());
  Refresh();
}

void CDlgHistory::OnResized(int32_t width, int32_t height) {
  if (window_ == nullptr) return;
  arrangement_.Arrange(*window_, width, height);
  if (chart_ == nullptr) return;
  chart_->Place(arrangement_.ChartRect(width, height));
  // Reduced again only when the columns changed by more than a fifth: dragging the window's
  // edge sends many sizes, and a chart a few columns off its width looks the same.
  const int32_t columns = std::max(1, chart_->ColumnCount());
  if (std::abs(columns - reduced_columns_) * 5 > reduced_columns_) DrawChart();
}

void CDlgHistory::Refresh() {
  // Until the items are known there are no picks to draw: their answer refreshes.
  if (window_ == nullptr || !items_known_ || !has_store_) return;
  DrawChart();
  FillEvents();
}

void CDlgHistory::DrawChart() {
  if (chart_ == nullptr || !items_known_ || !has_store_) return;
  reduced_columns_ = std::max(1, chart_->ColumnCount());
  Ask(QuerySlot::kChart,
      [this, range = range_, columns = reduced_columns_, picked = item_list_.Picked(),
       lanes = lanes_, now = Now()](HistoryStore* store) -> HistoryQueries::Answer {
        if (store == nullptr) return nullptr;
        ChartAnswer found = ReduceSeries(*store, range, columns, picked, lanes, now);
        return [this, range, found = std::move(found)]() mutable {
          for (const auto& [id, lane] : found.lanes) lanes_[id] = lane;
          chart_->Show(range, found.series);
        };
      });
}

void CDlgHistory::OnSearchTyped() {
  // Asked once the typing pauses: a search of the whole history per letter would keep the
  // worker busy with words nobody is looking for.
  if (services_.event_loop == nullptr) {
    FillEvents();
    return;
  }
  StopTimer(&search_timer_);
  search_timer_ = services_.event_loop->StartTimer(kHistorySearchDebounceMs, [this] {
    StopTimer(&search_timer_);
    FillEvents();
  });
}

void CDlgHistory::FillEvents() {
  StopTimer(&search_timer_);
  if (window_ == nullptr || !items_known_ || !has_store_) return;
  Ask(QuerySlot::kEvents,
      [this, range = range_, picks = item_list_.PickedIds(),
       kinds = KindsByName(item_list_.items()),
       pattern = std::string(ControlText(*window_, kHistorySearch).CStr()),
       regex = IsChecked(*window_, kHistoryRegex), whole = IsChecked(*window_, kHistoryWholeStore)](
          HistoryStore* store) -> HistoryQueries::Answer {
        if (store == nullptr) return nullptr;
        EventsAnswer found = FindEvents(*store, range, picks, kinds, pattern, regex, whole);
        return [this, found = std::move(found)]() mutable {
          cReportList* list = window_->ReportList(kHistoryEvents);
          if (list == nullptr) return;
          list->DeleteAllRows();
          event_rows_->rows = std::move(found.rows);
          for (size_t i = 0; i < event_rows_->rows.size(); ++i) {
            list->InsertRow(list->RowCount(), "", -1, i);
          }
          Say(found.status.c_str(), false);
        };
      });
}

std::string CDlgHistory::AskExportPath(const char* caption, const char* name, const char* filter) {
  if (export_folder_.empty()) {
    export_folder_ = services_.export_folder ? services_.export_folder() : DefaultExportFolder();
  }
  const std::string suggested = export_folder_.empty() ? name : export_folder_ + "/" + name;
  swString path;
  if (!services_.toolkit->FileDialog().AskSaveFileName(window_.get(), caption, suggested.c_str(),
                                                       filter, &path)) {
    return std::string();
  }
  std::string chosen = path.CStr();
  const size_t slash = chosen.rfind('/');
  if (slash != std::string::npos && slash > 0) export_folder_ = chosen.substr(0, slash);
  return chosen;
}

void CDlgHistory::ExportCsv() {
  if (services_.toolkit == nullptr || !has_store_) return;
  const std::string path = AskExportPath("Export Events", "history.csv", "CSV files (*.csv)");
  if (path.empty()) return;
  // The whole range from the store, not the table's newest rows: first how many, said before
  // a year of rows takes its time, then the rows themselves.
  HistoryCsvRequest request;
  request.from_ms = range_.from_ms;
  request.to_ms = range_.to_ms;
  request.item_ids = item_list_.PickedIds();
  Say("Counting the events to export...", false);
  Ask(QuerySlot::kTask, [this, request, path](HistoryStore* store) -> HistoryQueries::Answer {
    int64_t count = 0;
    const Status counted = store != nullptr
                               ? CountHistoryCsvRows(*store, request, &count)
                               : Status::Failure(Where::kHistory, "no history is recorded");
    return [this, request, path, counted, count] {
      if (!counted.ok()) {
        Say(("The events could not be read (" + counted.message() + ").").c_str(), true);
        return;
      }
      Say(("Writing " + std::to_string(count) + (count == 1 ? " event to " : " events to ") + path +
           "...")
              .c_str(),
          false);
      Ask(QuerySlot::kTask, [this, request, path](HistoryStore* writer) -> HistoryQueries::Answer {
        int64_t rows = 0;
        HistoryCsvRequest texted = request;
        // The file names kinds, states and values as the table does.
        if (writer != nullptr) {
          texted.texts = [kinds = KindsByName(writer->Items())](const StoredEvent& event) {
            std::vector<std::string> cells = EventTexts(event, kinds);
            return CsvEventTexts{cells[1], cells[3], cells[4]};
          };
        }
        const Status written = WriteCsvFile(writer, texted, path, &rows);
        return [this, written, rows, path] {
          if (!written.ok()) {
            // The file layer's message names the path and the system's reason.
            Say(("The events could not be written (" + written.message() + ").").c_str(), true);
            return;
          }
          Say((std::to_string(rows) + (rows == 1 ? " event" : " events") + " written to " + path)
                  .c_str(),
              false);
        };
      });
    };
  });
}

void CDlgHistory::ExportPng() {
  if (chart_ == nullptr || services_.toolkit == nullptr) return;
  const std::string path = AskExportPath("Export Chart", "history.png", "PNG pictures (*.png)");
  if (path.empty()) return;
  const Status saved = chart_->SavePng(path);
  if (!saved.ok()) {
    Say(("The chart could not be written (" + saved.message() + ").").c_str(), true);
    return;
  }
  Say(("Chart written to " + path).c_str(), false);
}

void CDlgHistory::SetItemDays() {
  const std::vector<int64_t> picked = item_list_.PickedIds();
  if (!has_store_ || picked.empty()) {
    Say("Pick the items whose history is to be kept for other than the usual days.", true);
    return;
  }
  std::string text = ControlText(*window_, kHistoryItemDays).CStr();
  int days = 0;
  if (!text.empty()) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < 1 || value > 36500) {
      Say("Enter the days as a number from 1 to 36500, or leave the field empty for the "
          "usual days.",
          true);
      return;
    }
    days = static_cast<int>(value);
  }
  Ask(QuerySlot::kTask, [this, picked, days](HistoryStore* store) -> HistoryQueries::Answer {
    bool stored = store != nullptr;
    for (int64_t id : picked) {
      if (stored && store->SetItemKeepDays(id, days).failed()) stored = false;
    }
    std::vector<StoredItem> items = store != nullptr ? store->Items() : std::vector<StoredItem>();
    return [this, stored, days, items = std::move(items)]() mutable {
      if (!stored) {
        Say("The days could not be stored.", true);
        return;
      }
      item_list_.TakeItems(std::move(items));
      Say(days > 0 ? "Kept for their own days from the next clean-up." : "Kept for the usual days.",
          false);
    };
  });
}

void CDlgHistory::OnFilterChanged() {
  // The picks stay picked and drawn while the list hides them: the find field finds items to
  // add, it does not take away what is on the chart.
  item_list_.Fill();
}

void CDlgHistory::OnShow() {
  // Times typed over a preset's are a range of their own: Show takes them.
  if (ControlText(*window_, kHistoryFrom) != FormatLocalTime(range_.from_ms).c_str() ||
      ControlText(*window_, kHistoryTo) != FormatLocalTime(range_.to_ms).c_str()) {
    if (cComboBox* ranges = window_->ComboBox(kHistoryRange)) {
      ranges->Select(static_cast<int32_t>(RangePreset::kFromTo));
    }
  }
  OnRangeChosen();
}

void CDlgHistory::OnCommand(int32_t id, eCommandEvent event) {
  using E = eCommandEvent;
  static constexpr cCommandRoute<CDlgHistory> kRoutes[] = {
      {kHistoryKind, E::kSelectionChanged, &CDlgHistory::OnFilterChanged},
      // Some toolkits tell a list's selection as a command, others through the list's events.
      {kHistoryItems, E::kSelectionChanged, &CDlgHistory::OnItemsSelected},
      {kHistoryFind, E::kTextChanged, &CDlgHistory::OnFilterChanged},
      {kHistoryRange, E::kSelectionChanged, &CDlgHistory::OnRangeChosen},
      {kHistoryShow, E::kClicked, &CDlgHistory::OnShow},
      {kHistorySearch, E::kTextChanged, &CDlgHistory::OnSearchTyped},
      {kHistoryRegex, E::kClicked, &CDlgHistory::FillEvents},
      {kHistoryWholeStore, E::kClicked, &CDlgHistory::FillEvents},
      {kHistoryExportCsv, E::kClicked, &CDlgHistory::ExportCsv},
      {kHistoryExportPng, E::kClicked, &CDlgHistory::ExportPng},
      {kHistoryItemDaysSet, E::kClicked, &CDlgHistory::SetItemDays},
      {kHistoryClose, E::kClicked, &CDlgHistory::Close},
  };
  RouteCommand(*this, kRoutes, id, event);
}

}  // namespace hv::history
