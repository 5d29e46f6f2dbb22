#include "client/views/history/history_item_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "client/ui/window_controls.h"
#include "client/views/history/dlg_history.h"
#include "client/views/history/history_picks.h"

namespace hv::history {

namespace {

std::string SizeText(int64_t bytes) {
  char text[32];
  if (bytes >= 1024 * 1024) {
    // Tenths by hand: printf's %.1f writes a comma under a German locale.
    const int64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    std::snprintf(text, sizeof text, "%lld.%lld MB", static_cast<long long>(tenths / 10),
                  static_cast<long long>(tenths % 10));
  } else {
    std::snprintf(text, sizeof text, "%lld KB", static_cast<long long>((bytes + 1023) / 1024));
  }
  return text;
}

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

void HistoryItemList::Attach(cWindow* window) {
  window_ = window;
  cReportList* items = window_->ReportList(kHistoryItems);
  if (items == nullptr) return;
  items->SetListStyles(kListFullRowSelect | kListShowSelectionAlways);
  // Together no wider than the list, so it needs no sideways scrolling; the kind and size
  // whole (in the list's own font), the name what is left.
  const int32_t kind = std::max(items->TextWidth("Sensor", false), items->TextWidth("Kind", true));
  const int32_t size =
      std::max(items->TextWidth("999.9 MB", false), items->TextWidth("Size", true));
  // Less the list's frame and its scroll bar, which shows with more items than rows.
  const int32_t width = std::max(items->Rect().Width() - 28, 190);
  items->InsertColumn(0, "Name", std::max(80, width - kind - size));
  items->InsertColumn(1, "Kind", kind);
  items->InsertColumn(2, "Size", size);
  items->SetEvents(this);
}

void HistoryItemList::Take(std::vector<StoredItem> items, std::vector<ItemUsage> usage) {
  items_ = std::move(items);
  usage_ = std::move(usage);
}

void HistoryItemList::Fill() {
  cReportList* list = window_->ReportList(kHistoryItems);
  if (list == nullptr) return;
  int32_t kind_choice = 0;
  if (cComboBox* kinds = window_->ComboBox(kHistoryKind)) {
    kind_choice = static_cast<int32_t>(kinds->EntryValue(std::max(0, kinds->Selection())));
  }
  const std::string find = Lowered(ControlText(*window_, kHistoryFind).CStr());
  filling_ = true;
  list->DeleteAllRows();
  shown_items_.clear();
  for (size_t i = 0; i < items_.size(); ++i) {
    const StoredItem& item = items_[i];
    if (kind_choice != 0 && static_cast<int32_t>(item.kind) != kind_choice) continue;
    if (!find.empty() && Lowered(item.name).find(find) == std::string::npos) continue;
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

std::vector<StoredItem> HistoryItemList::Picked() const {
  std::vector<StoredItem> picked;
  for (const StoredItem& item : items_) {
    if (picked_.count(item.id) != 0) picked.push_back(item);
  }
  return picked;
}

std::vector<int64_t> HistoryItemList::PickedIds() const {
  std::vector<int64_t> ids;
  for (const StoredItem& item : Picked()) ids.push_back(item.id);
  return ids;
}

void HistoryItemList::RestorePicks(const std::string& saved) {
  const std::vector<PickKey> keys = ParsePicks(saved);
  for (const StoredItem& item : items_) {
    if (std::find(keys.begin(), keys.end(), PickKey{item.kind, item.name}) != keys.end()) {
      picked_.insert(item.id);
    }
  }
}

std::string HistoryItemList::SavedPicks() const {
  std::vector<PickKey> keys;
  for (const StoredItem& item : Picked()) keys.push_back({item.kind, item.name});
  return FormatPicks(keys);
}

void HistoryItemList::OnSelectionChanged() {
  if (filling_ || window_ == nullptr) return;
  cReportList* list = window_->ReportList(kHistoryItems);
  if (list == nullptr) return;
  // Rows the find field hides keep their pick; the shown rows say theirs.
  for (size_t index : shown_items_) picked_.erase(items_[index].id);
  for (int32_t row = list->NextSelected(-1); row >= 0; row = list->NextSelected(row)) {
    cItemValue index = list->RowValue(row);
    if (index < items_.size()) picked_.insert(items_[index].id);
  }
  if (picks_changed_) picks_changed_();
}

}  // namespace hv::history
