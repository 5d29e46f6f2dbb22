#include "client/views/log/dlg_child_log.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/file/file_replace.h"
#include "core/file/write_all.h"

#include "client/platform/clock.h"
#include "client/protocol/x10_function_name.h"
#include "client/ui/dialog_layout.h"
#include "client/ui/image_list.h"
#include "client/ui/layout_rows.h"
#include "client/ui/toolkit.h"
#include "client/views/log/activity_items.h"
#include "client/views/log/csv_text.h"
#include "client/views/log/log_entry_texts.h"
#include "client/views/log/log_images.h"
#include "client/views/log/log_row_texts.h"
#include "client/views/title_label.h"
#include "client/views/view_kind.h"
#include "core/profile/user_folders.h"
#include "core/status.h"

namespace hv {

namespace {

struct cLogColumnHeading {
  const char* text;
  int32_t width;
  // A text as wide as the column's widest usual one: a column whose width the user never
  // set grows to show it, and its header, whole in the toolkit's font. Null: the width is
  // kept as it is (the type column shows only its picture).
  const char* sample;
};

constexpr cLogColumnHeading kColumns[kLogColumnCount] = {
    {"Type", 25, nullptr},     {"Date", 75, "12/28/2008"}, {"Time", 75, "12:58:58 PM"},
    {"Name/Id", 150, nullptr}, {"Message", 150, nullptr},  {"Function", 71, nullptr},
    {"Data", 150, nullptr},
};

constexpr int32_t kSideButtons[] = {kLogFilter, kLogRestore, kLogClear, kLogExport};

// The search box's complaint about a pattern, in a colour that stands out.
constexpr uint32_t kSearchErrorColour = RgbColour(192, 0, 0);

cDialogLayout MakeLogViewLayout() {
  cDialogLayout layout{
      .resource_id = RowOfKind(ViewKind::kActivityLog).resource_id, .width = 357, .height = 94};
  using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
  using E = eControlKind;
  layout.controls = {
      K{E::kLabel, kTitleLabelId, "Activity Log", 4, 2, 60, 9},
      // The complaint about a pattern stands beside the title, where a whole sentence fits.
      K{E::kLabel, kLogSearchError, "", 70, 2, 235, 9, kControlHidden},
      K{E::kLabel, kLogSearchLabel, "Search:", 4, 15, 27, 9},
      K{E::kEdit, kLogSearch, "", 32, 13, 140, 12},
      K{E::kCheckBox, kLogSearchRegex, "Regular expression", 178, 14, 78, 10},
      K{E::kReportList, kLogList, "", 0, 28, 305, 66},
      Check(kLogFilter, "Filter", 310, 28, 44),
  };
  AddButtonColumn(layout, 310, 42,
                  {{kLogRestore, "Restore"}, {kLogClear, "Clear"}, {kLogExport, "Export..."}}, 44);
  return layout;
}

const CActivityItem* ItemOf(cItemValue value) { return cLogRowTexts::ItemOf(value); }
cItemValue ValueOf(const CActivityItem* item) { return cLogRowTexts::ValueOf(item); }

// Sets a flag for the duration of a scope.
class cFlagHolder {
 public:
  explicit cFlagHolder(bool& flag) : flag_(flag) { flag_ = true; }
  ~cFlagHolder() { flag_ = false; }
  cFlagHolder(const cFlagHolder&) = delete;
  cFlagHolder& operator=(const cFlagHolder&) = delete;

 private:
  bool& flag_;
};

}  // namespace

const cDialogLayout& LogViewLayout() {
  static const cDialogLayout layout = MakeLogViewLayout();
  return layout;
}

CDlgChildLog::CDlgChildLog(int32_t placement, cLogViewServices services)
    : cTabChildDlg(ViewKind::kActivityLog, placement), services_(std::move(services)) {}

CDlgChildLog::~CDlgChildLog() {
  list_events_.Attach(nullptr);
  DestroyWindow();
}

cReportList* CDlgChildLog::List() const {
  return Window() != nullptr ? Window()->ReportList(kLogList) : nullptr;
}

uint32_t CDlgChildLog::MaxEntries() const {
  return services_.max_log_entries ? services_.max_log_entries() : 0;
}

Status CDlgChildLog::OnInitDialog() {
  cWindow& window = *Window();
  StyleTitleLabel(window);
  cReportList* list = List();
  if (list == nullptr || window.Button(kLogFilter) == nullptr)
    return Status(Where::kUi, hv::kNotFound);

  images_ = MakeLogImageList(*Toolkit());
  swString list_name = "Activity";
  if (Placement() == kPlacementTop) list_name.Append("Top");
  column_settings_.Init(services_.company, services_.application, list_name.CStr(), list)
      .Ignore("it fails only without a list, and the list is there");

  list->SetListStyles(kListFullRowSelect | kListHeaderDragDrop | kListShowSelectionAlways);
  list->SetImageList(images_.get());
  // The rows' entries keep their texts: the rows keep none of their own.
  list->SetRowTexts(&row_texts_);
  for (int32_t column = 0; column < kLogColumnCount; ++column) {
    const cLogColumnHeading& heading = kColumns[column];
    int32_t width = heading.width;
    if (heading.sample != nullptr) {
      width = std::max(
          {width, list->TextWidth(heading.text, true), list->TextWidth(heading.sample, false)});
    }
    list->InsertColumn(column, heading.text, width);
  }
  Refill();
  // Widths the user saved replace these; the ones never saved stay as fitted.
  column_settings_.Restore().Ignore("bound to the list above, it cannot fail");

  if (ListLayout().Measure(window, kLogList, kLogFilter).ok()) SetLayoutList(kLogList);
  button_margin_ = window.ClientRect().right - window.Control(kLogFilter)->Rect().left;

  window.SetEvents(this);
  list_events_.Attach(list);
  UpdateFilterEnabled();
  return Status::Ok();
}

void CDlgChildLog::LayoutChild(const cRect* rect) {
  cWindow* window = Window();
  if (window == nullptr) return;
  const cRect area = rect != nullptr ? *rect : window->ClientRect();
  for (int32_t id : kSideButtons) {
    cControl* button = window->Control(id);
    if (button == nullptr) continue;
    const cRect now = button->Rect();
    const int32_t left = area.right - button_margin_;
    button->Move(cRect{left, now.top, left + now.Width(), now.bottom}, true);
  }
  cTabChildDlg::LayoutChild(rect);
  // The complaint about a pattern may be long: it takes the room up to the side buttons'
  // right edge (they start below the title row).
  cControl* error = window->Control(kLogSearchError);
  cControl* restore = window->Control(kLogRestore);
  if (error != nullptr && restore != nullptr) {
    const cRect now = error->Rect();
    const int32_t right = restore->Rect().right;
    if (right > now.left) error->Move(cRect{now.left, now.top, right, now.bottom}, true);
  }
}

Status CDlgChildLog::AddEntry(const LogItemRecord& entry, CActivityItem* item) {
  bool& adding = services_.adding_entry != nullptr ? *services_.adding_entry : own_adding_entry_;
  if (adding) return Status::Declined(Where::kUi);
  cFlagHolder hold(adding);
  cReportList* list = List();
  if (list == nullptr) return Status(Where::kUi, hv::kNotFound);
  return ShowEntry(entry, item, *list);
}

Status CDlgChildLog::ShowEntry(const LogItemRecord& entry, CActivityItem* item, cReportList& list) {
  const swString name_id = LogNameIdText(entry.name, entry.path);
  if (filter_text_.GetLength() != 0 && !(name_id == filter_text_)) return Status::Ok();

  // An entry without its own date or time is shown at the moment it arrives.
  LogItemRecord stamped = entry;
  if (stamped.date_text.GetLength() == 0 || stamped.time_text.GetLength() == 0) {
    const cLocalTime now = services_.clock != nullptr ? services_.clock->LocalTime() : cLocalTime{};
    if (stamped.date_text.GetLength() == 0) stamped.date_text = FormatLogDate(now);
    if (stamped.time_text.GetLength() == 0) stamped.time_text = FormatLogTime(now);
  }
  // A search narrows the view further; the rows it hides stay where they were.
  if (!MatchesSearch(stamped, name_id)) return Status::Ok();

  const uint32_t limit = MaxEntries();
  if (limit != 0) {
    while (list.RowCount() > 0 && static_cast<uint32_t>(list.RowCount()) > limit - 1) {
      DeleteLastRow(list);
    }
  }

  // The row holds the stored item, or an item of its own for an entry nobody stores, so that
  // sorting, refilling and the row's texts always have the whole entry to read. A stored item
  // without its date or time (the application stamps what it stores, so only a caller that
  // did not) cannot show the moment the row got: the row keeps that in an item of its own.
  const CActivityItem* row_item = item;
  if (row_item != nullptr && row_item->DateText()[0] != '\0' && row_item->TimeText()[0] != '\0') {
    row_item->Hold();
  } else {
    row_item = CActivityItem::Make(stamped, 1);
    if (row_item == nullptr)
      return Status(Where::kUi, kOutOfMemory, "the log has no room for the entry");
  }

  const int32_t row = list.InsertRowTexts(
      0, nullptr, 0, LogEntryImage(stamped.entry_type, stamped.function_code), ValueOf(row_item));
  if (row < 0) {
    row_item->Release();
    return Status(Where::kUi, kOutOfMemory, "the log has no room for the entry");
  }
  return Status::Ok();
}

bool CDlgChildLog::MatchesSearch(const LogItemRecord& entry, const swString& name_id) const {
  if (!search_.IsActive()) return true;
  const swString texts[kLogColumnCount] = {
      LogEntryTypeText(entry.entry_type),
      entry.date_text,
      entry.time_text,
      name_id,
      entry.message,
      X10FunctionName(entry.function_code, 0),
      LogDataText(entry.entry_type, entry.value, entry.extra),
  };
  for (const swString& text : texts) {
    if (search_.Matches(std::string_view(text.CStr(), text.GetLength()))) return true;
  }
  return false;
}

void CDlgChildLog::DeleteLastRow(cReportList& list) {
  const int32_t last = list.RowCount() - 1;
  const CActivityItem* item = ItemOf(list.RowValue(last));
  list.DeleteRow(last);
  if (item != nullptr) item->Release();
}

void CDlgChildLog::DeleteAllRows(cReportList& list) {
  const int32_t count = list.RowCount();
  std::vector<const CActivityItem*> items;
  items.reserve(static_cast<size_t>(count));
  for (int32_t row = 0; row < count; ++row) items.push_back(ItemOf(list.RowValue(row)));
  list.DeleteAllRows();
  for (const CActivityItem* item : items) {
    if (item != nullptr) item->Release();
  }
}

// The rows hold their items, so one the application lets go of stays for as long as a row
// shows it: nothing to do.
void CDlgChildLog::ForgetItem(const CActivityItem* /*item*/) {}

void CDlgChildLog::EmptyList() {
  if (cReportList* list = List()) DeleteAllRows(*list);
}

Status CDlgChildLog::RequestItems() {
  EmptyList();
  return Status::Declined(Where::kUi);
}

void CDlgChildLog::Refill() {
  EmptyList();
  // The rows come back in the order they arrived, whatever column they were sorted by.
  if (cReportList* list = List()) list->SetSortIndicator(-1, 1);
  if (services_.stored == nullptr) return;
  for (size_t index = 0; index < services_.stored->Count(); ++index) {
    CActivityItem* item = services_.stored->At(index);
    if (item == nullptr || item->ShowFlag() != 1) continue;
    AddEntry(item->Entry(), item)
        .Ignore("an entry the list cannot take is left out; the others are still shown");
  }
}

void CDlgChildLog::OnCommand(int32_t id, eCommandEvent event) {
  if (event == eCommandEvent::kFocusGained && id == kLogList) {
    UpdateFilterEnabled();
    return;
  }
  if (event == eCommandEvent::kTextChanged && id == kLogSearch) {
    OnSearchChanged();
    return;
  }
  if (event == eCommandEvent::kDoubleClicked && id == kLogList) {
    ShowWholeRow();
    return;
  }
  if (event != eCommandEvent::kClicked) return;
  switch (id) {
    case kLogFilter: OnFilterClicked(); break;
    case kLogClear: EmptyList(); break;
    case kLogRestore: Refill(); break;
    case kLogSearchRegex: OnSearchChanged(); break;
    case kLogExport: OnExportClicked(); break;
    default: break;
  }
}

void CDlgChildLog::ShowWholeRow() {
  cReportList* list = List();
  const int32_t row = list != nullptr ? list->NextSelected(-1) : -1;
  if (row < 0) return;
  // A message the column cuts off ("The server ended the...") is read here whole.
  swString text;
  text.Format("%s %s", list->CellText(row, kLogColumnDate).CStr(),
              list->CellText(row, kLogColumnTime).CStr());
  for (const int32_t column : {kLogColumnMessage, kLogColumnFunction, kLogColumnData}) {
    const swString cell = list->CellText(row, column);
    if (cell.GetLength() == 0) continue;
    text.Append("\r\n\r\n");
    text.Append(cell.CStr());
  }
  Toolkit()->MessageBox().Show(text.CStr(), list->CellText(row, kLogColumnNameId).CStr(),
                               cMessageBoxIcon::kInformation, cMessageBoxButtons::kOk, Window());
}

void CDlgChildLog::OnFilterClicked() {
  cButton* filter = Window()->Button(kLogFilter);
  cReportList* list = List();
  if (filter == nullptr || list == nullptr) return;
  const bool on = filter->GetCheck() != 0;
  if (on) {
    const int32_t selected = list->NextSelected(-1);
    if (selected < 0) {
      // Nothing to filter on: the box goes back to showing that no filter is set.
      Toolkit()->Beep(eBeep::kDefault);
      filter->SetCheck(0);
      return;
    }
    filter_text_ = list->CellText(selected, kLogColumnNameId);
  } else {
    filter_text_ = "";
  }
  Refill();
  if (!on && filter_text_.GetLength() == 0) filter->Enable(false);
}

void CDlgChildLog::OnSearchChanged() {
  cWindow* window = Window();
  cControl* box = window != nullptr ? window->Control(kLogSearch) : nullptr;
  cButton* regex = window != nullptr ? window->Button(kLogSearchRegex) : nullptr;
  if (box == nullptr || regex == nullptr) return;
  const Status set = search_.Set(box->Text(), regex->GetCheck() != 0);
  if (cControl* complaint = window->Control(kLogSearchError)) {
    complaint->SetText(set.message().c_str());
    complaint->SetTextColour(kSearchErrorColour);
    complaint->Show(set.failed());
  }
  if (set.failed()) return;
  cWaitCursor wait(*Toolkit());
  Refill();
}

void CDlgChildLog::OnExportClicked() {
  swString path;
  // The user's own folder, not the program's data folder, where nobody looks for a document.
  const std::string suggested = HomeFolder() + "/Activity Log.csv";
  if (!Toolkit()->FileDialog().AskSaveFileName(Window(), "Export Activity Log", suggested.c_str(),
                                               "CSV files (*.csv)", &path)) {
    return;
  }
  cWaitCursor wait(*Toolkit());
  const Status exported = ExportRows(path.CStr());
  if (exported.ok()) return;
  // The reason (a missing folder, no permission, a full disk) is what the user can act on.
  swString text;
  text.Format("Unable to write the activity log to %s\n\nReason: %s", path.CStr(),
              exported.message().c_str());
  Toolkit()->MessageBox().Show(text.CStr(), "Export Activity Log", cMessageBoxIcon::kError,
                               cMessageBoxButtons::kOk, Window());
}

Status CDlgChildLog::ExportRows(const char* path) const {
  cReportList* list = List();
  if (list == nullptr) return Status(Where::kUi, hv::kCannotOpenFile, "the view has no list");
  if (path == nullptr || path[0] == '\0') {
    return Status(Where::kUi, hv::kCannotOpenFile, "no path given");
  }
  // The columns as the header shows them, however the user has dragged them.
  const int32_t count = list->ColumnCount();
  std::vector<int32_t> by_order(static_cast<size_t>(count), -1);
  std::vector<swString> texts(static_cast<size_t>(count));
  for (int32_t index = 0; index < count; ++index) {
    cListColumn column;
    if (!list->GetColumn(index, &column) || column.order < 0 || column.order >= count) continue;
    by_order[static_cast<size_t>(column.order)] = index;
    texts[static_cast<size_t>(index)] = column.text;
  }
  std::vector<int32_t> columns;
  std::vector<swString> captions;
  for (int32_t index : by_order) {
    if (index < 0) continue;
    columns.push_back(index);
    captions.push_back(texts[static_cast<size_t>(index)]);
  }
  std::string csv;
  AppendCsvRecord(captions, &csv);
  std::vector<swString> fields(columns.size());
  for (int32_t row = 0; row < list->RowCount(); ++row) {
    for (size_t i = 0; i < columns.size(); ++i) fields[i] = list->CellText(row, columns[i]);
    AppendCsvRecord(fields, &csv);
  }
  // An exported file is the user's own document: it gets the permissions any new file of
  // theirs gets, not those of a private temporary file.
  const Status written = ReplaceFileWithBytes(path, csv.data(), csv.size(), UserDocumentMode());
  // The file layer's message already names the path and the reason; the failure is the view's.
  if (!written.ok()) return Status(Where::kUi, written.code(), written.message());
  return Status::Ok();
}

void CDlgChildLog::UpdateFilterEnabled() {
  cReportList* list = List();
  cControl* filter = Window() != nullptr ? Window()->Control(kLogFilter) : nullptr;
  if (list == nullptr || filter == nullptr) return;
  filter->Enable(list->NextSelected(-1) >= 0 || filter_text_.GetLength() != 0);
}

void CDlgChildLog::cListEvents::OnClickReleased() {
  CListCtrlWChkBox::OnClickReleased();
  view_.UpdateFilterEnabled();
}

void CDlgChildLog::OnHeaderClick(int32_t column) {
  cReportList* list = List();
  if (list == nullptr || column < 0 || column >= kLogColumnCount) return;
  if (column == sort_column_) {
    sort_direction_ = -sort_direction_;
  } else {
    sort_direction_ = 1;
    sort_column_ = column;
  }
  // Each row's key is made once, into one buffer, and the comparison only reads them: a
  // sort of many thousand rows compares each row some twenty times.
  const int32_t count = list->RowCount();
  std::string keys;
  std::vector<size_t> starts(static_cast<size_t>(count) + 1, 0);
  for (int32_t row = 0; row < count; ++row) {
    if (const CActivityItem* item = ItemOf(list->RowValue(row))) {
      AppendLogSortKey(item->Entry(), column, keys);
    }
    starts[static_cast<size_t>(row) + 1] = keys.size();
  }
  const std::string_view all(keys);
  const auto key = [&all, &starts](int32_t row) {
    const size_t at = starts[static_cast<size_t>(row)];
    return all.substr(at, starts[static_cast<size_t>(row) + 1] - at);
  };
  if (sort_direction_ > 0) {
    list->SortRows([&key](int32_t a, int32_t b) { return key(a) < key(b); });
  } else {
    list->SortRows([&key](int32_t a, int32_t b) { return key(b) < key(a); });
  }
  list->SetSortIndicator(sort_column_, sort_direction_);
}

}  // namespace hv
