#include "client/views/history/dlg_history.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "client/history/history_writer.h"
#include "client/protocol/x10_function_name.h"
#include "client/ui/command_routes.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/views/devices/macro_status_name.h"
#include "client/views/history/dlg_history_layout.h"
#include "client/views/history/event_search.h"
#include "client/views/history/history_events.h"
#include "client/views/history/lane_marks.h"
#include "client/views/log/csv_text.h"
#include "core/file/file_replace.h"

namespace hv::history {

namespace {

const char* const kKindTexts[] = {"All kinds", "Switches", "Sensors", "Macros", "Modes"};
const char* const kRangeTexts[] = {"Last hour", "Last day", "Last week", "Last month", "From - to"};
const char* const kEventColumns[] = {"Time", "Kind", "Name", "State", "Value", "Message"};

std::string SizeText(int64_t bytes) {
  char text[32];
  if (bytes >= 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  } else {
    std::snprintf(text, sizeof text, "%lld KB", static_cast<long long>((bytes + 1023) / 1024));
  }
  return text;
}

std::string ValueText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The state of an event as the views name it.
std::string StateText(const StoredEvent& event) {
  switch (event.kind) {
    case ItemKind::kMacro: return MacroStatusName(event.code);
    case ItemKind::kMode: return event.code == 1 ? "Active" : "Inactive";
    case ItemKind::kSwitch:
    case ItemKind::kSensor:
    case ItemKind::kLogName: return X10FunctionName(event.code, 0);
  }
  return std::string();
}

std::vector<std::string> EventTexts(const StoredEvent& event) {
  return {FormatLocalTime(event.at_ms),
          event.kind == ItemKind::kLogName ? "Log" : ItemKindName(event.kind),
          event.name,
          StateText(event),
          ValueText(event.value),
          event.message};
}

}  // namespace

CDlgHistory::CDlgHistory(HistoryWindowServices services, cWindow* owner)
    : services_(std::move(services)), owner_(owner) {}

CDlgHistory::~CDlgHistory() {
  if (window_ != nullptr) window_->SetEvents(nullptr);
}

int64_t CDlgHistory::Now() const { return services_.now_ms ? services_.now_ms() : SystemNowMs(); }

bool CDlgHistory::IsOpen() const { return window_ != nullptr && window_->IsVisible(); }

bool CDlgHistory::Open() {
  if (services_.toolkit == nullptr) return false;
  if (window_ == nullptr) {
    window_ = services_.toolkit->CreateTopLevelWindow(HistoryLayout(), owner_);
    if (window_ == nullptr) return false;
    window_->SetEvents(this);
    if (cComboBox* kinds = window_->ComboBox(kHistoryKind)) {
      for (size_t i = 0; i < std::size(kKindTexts); ++i) kinds->AddEntry(kKindTexts[i], i);
      kinds->Select(0);
    }
    if (cComboBox* ranges = window_->ComboBox(kHistoryRange)) {
      for (size_t i = 0; i < std::size(kRangeTexts); ++i) ranges->AddEntry(kRangeTexts[i], i);
      ranges->Select(static_cast<int32_t>(RangePreset::kLastDay));
    }
    if (cReportList* items = window_->ReportList(kHistoryItems)) {
      items->SetListStyles(kListFullRowSelect | kListShowSelectionAlways);
      // Together no wider than the list, so it needs no sideways scrolling.
      items->InsertColumn(0, "Name", 112);
      items->InsertColumn(1, "Kind", 52);
      items->InsertColumn(2, "Size", 52);
      items->SetEvents(this);
    }
    if (cReportList* events = window_->ReportList(kHistoryEvents)) {
      events->SetListStyles(kListFullRowSelect);
      // Wide enough for a time, a name and a state read whole; the message takes what is left.
      static constexpr int32_t kWidths[] = {140, 60, 130, 170, 70, 300};
      for (size_t i = 0; i < std::size(kEventColumns); ++i) {
        events->InsertColumn(static_cast<int32_t>(i), kEventColumns[i], kWidths[i]);
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
  }
  if (services_.flush) services_.flush();
  // A fresh connection each time: the house may have changed since the window was last open.
  store_ = services_.open_store ? services_.open_store() : nullptr;
  lanes_.clear();
  items_ = store_ != nullptr ? store_->Items() : std::vector<StoredItem>();
  usage_ = store_ != nullptr ? store_->Usage() : std::vector<ItemUsage>();
  FillItems();
  OnRangeChosen();
  window_->Show(true);
  window_->Activate();
  if (store_ == nullptr) Say("No history is recorded for this house.", false);
  return true;
}

void CDlgHistory::Close() {
  if (window_ != nullptr) window_->Show(false);
  store_.reset();
}

void CDlgHistory::Say(const char* text, bool error) {
  SetControlText(*window_, kHistoryStatus, text);
  if (error && services_.toolkit != nullptr) {
    services_.toolkit->MessageBox().Show(text, "History", cMessageBoxIcon::kError,
                                         cMessageBoxButtons::kOk, window_.get());
  }
}

void CDlgHistory::FillItems() {
  cReportList* list = window_->ReportList(kHistoryItems);
  if (list == nullptr) return;
  int32_t kind_choice = 0;
  if (cComboBox* kinds = window_->ComboBox(kHistoryKind)) {
    kind_choice = static_cast<int32_t>(kinds->EntryValue(std::max(0, kinds->Selection())));
  }
  std::string find = ControlText(*window_, kHistoryFind).CStr();
  std::transform(find.begin(), find.end(), find.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  filling_ = true;
  list->DeleteAllRows();
  shown_items_.clear();
  for (size_t i = 0; i < items_.size(); ++i) {
    const StoredItem& item = items_[i];
    if (kind_choice != 0 && static_cast<int32_t>(item.kind) != kind_choice) continue;
    std::string name = item.name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (!find.empty() && name.find(find) == std::string::npos) continue;
    int64_t bytes = 0;
    for (const ItemUsage& use : usage_) {
      if (use.item.id == item.id) bytes = use.bytes;
    }
    std::string size = SizeText(bytes);
    const char* texts[] = {item.name.c_str(), ItemKindName(item.kind), size.c_str()};
    int32_t row = list->InsertRowTexts(list->RowCount(), texts, 3, -1, i);
    shown_items_.push_back(i);
    if (picked_.count(item.id) != 0) list->SetSelected(row, true);
  }
  filling_ = false;
}

std::vector<int64_t> CDlgHistory::ShownPicks() const {
  std::vector<int64_t> ids;
  for (size_t index : shown_items_) {
    if (picked_.count(items_[index].id) != 0) ids.push_back(items_[index].id);
  }
  return ids;
}

void CDlgHistory::OnSelectionChanged() {
  if (filling_ || window_ == nullptr) return;
  cReportList* list = window_->ReportList(kHistoryItems);
  if (list == nullptr) return;
  // Rows the find field hides keep their pick; the shown rows say theirs.
  for (size_t index : shown_items_) picked_.erase(items_[index].id);
  for (int32_t row = list->NextSelected(-1); row >= 0; row = list->NextSelected(row)) {
    cItemValue index = list->RowValue(row);
    if (index < items_.size()) picked_.insert(items_[index].id);
  }
  // The first picked item's own days, for the "Keep days" field.
  for (const StoredItem& item : items_) {
    if (picked_.count(item.id) != 0) {
      SetControlText(*window_, kHistoryItemDays,
                     item.keep_days > 0 ? std::to_string(item.keep_days).c_str() : "");
      break;
    }
  }
  Refresh();
}

bool CDlgHistory::TakeFromTo() {
  std::optional<int64_t> from = ParseLocalTime(ControlText(*window_, kHistoryFrom).CStr());
  std::optional<int64_t> to = ParseLocalTime(ControlText(*window_, kHistoryTo).CStr());
  if (!from || !to || *to <= *from) {
    Say("Enter the range as two times, the first before the second, like 2026-01-31 18:00.", true);
    return false;
  }
  range_ = {*from, *to};
  return true;
}

void CDlgHistory::OnRangeChosen() {
  cComboBox* ranges = window_->ComboBox(kHistoryRange);
  auto preset = static_cast<RangePreset>(ranges != nullptr ? std::max(0, ranges->Selection()) : 1);
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
  if (window_ == nullptr) return;
  DrawChart();
  FillEvents();
}

void CDlgHistory::DrawChart() {
  if (chart_ != nullptr) {
    std::vector<HistorySeries> series;
    int64_t now = Now();
    reduced_columns_ = std::max(1, chart_->ColumnCount());
    const std::vector<int64_t> shown = ShownPicks();
    for (const StoredItem& item : items_) {
      if (std::find(shown.begin(), shown.end(), item.id) == shown.end() || store_ == nullptr) {
        continue;
      }
      PixelReduction reduction(range_.from_ms, range_.to_ms, reduced_columns_);
      if (store_->Reduce(item.id, now, &reduction).failed()) continue;
      series.push_back({item.name, item.kind, IsLane(item, now), reduction.columns()});
    }
    chart_->Show(range_, series);
  }
}

bool CDlgHistory::IsLane(const StoredItem& item, int64_t now) {
  auto known = lanes_.find(item.id);
  if (known != lanes_.end()) return known->second;
  // Decided once, from all that is kept of the item: decided per range, a temperature would
  // turn into an empty lane where it was not yet recorded, and a dimmer into a lane where it
  // was only switched full on and off, and the chart would jump about as one zooms.
  PixelReduction whole(0, now + 1, 1);
  const bool lane = store_ == nullptr || store_->Reduce(item.id, now, &whole).failed() ||
                    DrawnAsLane(item.kind, whole.columns());
  lanes_[item.id] = lane;
  return lane;
}

void CDlgHistory::FillEvents() {
  cReportList* list = window_->ReportList(kHistoryEvents);
  if (list == nullptr) return;
  list->DeleteAllRows();
  if (store_ == nullptr) return;
  const std::string pattern = ControlText(*window_, kHistorySearch).CStr();
  std::vector<StoredEvent> events;
  EventSearch search;
  if (IsChecked(*window_, kHistoryWholeStore) && !pattern.empty()) {
    events = store_->SearchLog(pattern, kHistoryEventRows + 1);
  } else {
    events = store_->Events(range_.from_ms, range_.to_ms, ShownPicks(), kHistoryEventRows + 1);
    if (const Status set = search.Set(pattern, IsChecked(*window_, kHistoryRegex)); !set.ok()) {
      Say(set.message().c_str(), false);
      return;
    }
  }
  MergeStatusEchoes(&events);
  bool more = events.size() > kHistoryEventRows;
  size_t shown = 0;
  for (size_t i = 0; i < events.size() && shown < kHistoryEventRows; ++i) {
    std::vector<std::string> texts = EventTexts(events[i]);
    if (!search.Matches(texts)) continue;
    const char* cells[6];
    for (size_t c = 0; c < 6; ++c) cells[c] = texts[c].c_str();
    list->InsertRowTexts(list->RowCount(), cells, 6, -1, i);
    ++shown;
  }
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
  Say(status.c_str(), false);
}

void CDlgHistory::ExportCsv() {
  cReportList* list = window_->ReportList(kHistoryEvents);
  if (list == nullptr || services_.toolkit == nullptr) return;
  swString path;
  if (!services_.toolkit->FileDialog().AskSaveFileName(window_.get(), "Export Events",
                                                       "history.csv", "CSV files (*.csv)", &path)) {
    return;
  }
  std::string csv;
  std::vector<swString> fields;
  for (const char* column : kEventColumns) fields.emplace_back(column);
  AppendCsvRecord(fields, &csv);
  // Oldest first, as people read a log file; the table shows the newest at the top.
  for (int32_t row = list->RowCount() - 1; row >= 0; --row) {
    fields.clear();
    for (int32_t column = 0; column < 6; ++column) fields.push_back(list->CellText(row, column));
    AppendCsvRecord(fields, &csv);
  }
  const Status written = ReplaceFileWithBytes(path.CStr(), csv.data(), csv.size());
  if (!written.ok()) {
    // The file layer's message names the path and the system's reason.
    Say(("The events could not be written (" + written.message() + ").").c_str(), true);
    return;
  }
  Say((std::to_string(list->RowCount()) + " events written to " + path.CStr()).c_str(), false);
}

void CDlgHistory::ExportPng() {
  if (chart_ == nullptr || services_.toolkit == nullptr) return;
  swString path;
  if (!services_.toolkit->FileDialog().AskSaveFileName(window_.get(), "Export Chart", "history.png",
                                                       "PNG pictures (*.png)", &path)) {
    return;
  }
  const Status saved = chart_->SavePng(path.CStr());
  if (!saved.ok()) {
    Say(("The chart could not be written (" + saved.message() + ").").c_str(), true);
    return;
  }
  Say((std::string("Chart written to ") + path.CStr()).c_str(), false);
}

void CDlgHistory::SetItemDays() {
  const std::vector<int64_t> picked = ShownPicks();
  if (store_ == nullptr || picked.empty()) {
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
  for (int64_t id : picked) {
    if (store_->SetItemKeepDays(id, days).failed()) {
      Say("The days could not be stored.", true);
      return;
    }
  }
  items_ = store_->Items();
  Say(days > 0 ? "Kept for their own days from the next clean-up." : "Kept for the usual days.",
      false);
}

void CDlgHistory::OnFilterChanged() {
  FillItems();
  Refresh();  // what the list hides is no longer drawn
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
      {kHistoryItems, E::kSelectionChanged, &CDlgHistory::OnSelectionChanged},
      {kHistoryFind, E::kTextChanged, &CDlgHistory::OnFilterChanged},
      {kHistoryRange, E::kSelectionChanged, &CDlgHistory::OnRangeChosen},
      {kHistoryShow, E::kClicked, &CDlgHistory::OnShow},
      {kHistorySearch, E::kTextChanged, &CDlgHistory::FillEvents},
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
