#include "client/ui/headless/headless_report_list.h"

#include <algorithm>

namespace {

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

int32_t cHeadlessReportList::InsertColumn(int32_t index, const char* text, int32_t width) {
  const int32_t at = Clamp(index, 0, ColumnCount());
  columns_.insert(columns_.begin() + at, cColumn{text, std::max(width, 0)});
  for (int32_t& shown : display_) {
    if (shown >= at) ++shown;
  }
  display_.insert(display_.begin() + at, at);
  for (cRow& row : rows_) {
    if (static_cast<int32_t>(row.cells.size()) >= at) {
      row.cells.insert(row.cells.begin() + at, swString());
    }
  }
  return at;
}

int32_t cHeadlessReportList::DisplayPosition(int32_t index) const {
  for (size_t i = 0; i < display_.size(); ++i) {
    if (display_[i] == index) return static_cast<int32_t>(i);
  }
  return -1;
}

bool cHeadlessReportList::GetColumn(int32_t index, cListColumn* column) const {
  if (!ValidColumn(index) || column == nullptr) return false;
  column->text = columns_[static_cast<size_t>(index)].text;
  column->width = columns_[static_cast<size_t>(index)].width;
  column->order = DisplayPosition(index);
  return true;
}

bool cHeadlessReportList::SetColumnWidth(int32_t index, int32_t width) {
  if (!ValidColumn(index)) return false;
  columns_[static_cast<size_t>(index)].width = std::max(width, 0);
  return true;
}

bool cHeadlessReportList::SetColumnOrder(int32_t index, int32_t order) {
  if (!ValidColumn(index)) return false;
  display_.erase(display_.begin() + DisplayPosition(index));
  display_.insert(display_.begin() + Clamp(order, 0, static_cast<int32_t>(display_.size())),
                  index);
  return true;
}

int32_t cHeadlessReportList::InsertRow(int32_t index, const char* text, int32_t image,
                                       cItemValue value) {
  const int32_t at = Clamp(index, 0, RowCount());
  cRow row;
  row.cells.resize(columns_.size());
  if (!row.cells.empty()) row.cells[0] = text;
  row.image = image;
  row.value = value;
  rows_.insert(rows_.begin() + at, std::move(row));
  return at;
}

bool cHeadlessReportList::SetCellText(int32_t row, int32_t column, const char* text) {
  if (!ValidRow(row) || !ValidColumn(column)) return false;
  std::vector<swString>& cells = rows_[static_cast<size_t>(row)].cells;
  if (cells.size() < columns_.size()) cells.resize(columns_.size());
  cells[static_cast<size_t>(column)] = text;
  return true;
}

swString cHeadlessReportList::CellText(int32_t row, int32_t column) const {
  if (!ValidRow(row) || column < 0) return swString();
  const std::vector<swString>& cells = rows_[static_cast<size_t>(row)].cells;
  return static_cast<size_t>(column) < cells.size() ? cells[static_cast<size_t>(column)]
                                                     : swString();
}

bool cHeadlessReportList::SetRowImage(int32_t row, int32_t image) {
  if (!ValidRow(row)) return false;
  rows_[static_cast<size_t>(row)].image = image;
  return true;
}

int32_t cHeadlessReportList::RowImage(int32_t row) const {
  return ValidRow(row) ? rows_[static_cast<size_t>(row)].image : -1;
}

cItemValue cHeadlessReportList::RowValue(int32_t row) const {
  return ValidRow(row) ? rows_[static_cast<size_t>(row)].value : 0;
}

bool cHeadlessReportList::SetRowValue(int32_t row, cItemValue value) {
  if (!ValidRow(row)) return false;
  rows_[static_cast<size_t>(row)].value = value;
  return true;
}

bool cHeadlessReportList::SetCheck(int32_t row, bool checked) {
  if (!ValidRow(row)) return false;
  rows_[static_cast<size_t>(row)].checked = checked;
  return true;
}

bool cHeadlessReportList::GetCheck(int32_t row) const {
  return ValidRow(row) && rows_[static_cast<size_t>(row)].checked;
}

bool cHeadlessReportList::DeleteRow(int32_t row) {
  if (!ValidRow(row)) return false;
  rows_.erase(rows_.begin() + row);
  return true;
}

void cHeadlessReportList::DeleteAllRows() { rows_.clear(); }

int32_t cHeadlessReportList::NextSelected(int32_t after) const {
  for (int32_t row = std::max(after + 1, 0); row < RowCount(); ++row) {
    if (rows_[static_cast<size_t>(row)].selected) return row;
  }
  return -1;
}

void cHeadlessReportList::SetSelected(int32_t row, bool selected) {
  if (ValidRow(row)) rows_[static_cast<size_t>(row)].selected = selected;
}

int32_t cHeadlessReportList::HitTest(cPoint point) const {
  int32_t total_width = 0;
  for (const cColumn& column : columns_) total_width += column.width;
  if (point.x < 0 || point.x >= total_width || point.y < kHeaderHeight) return -1;
  const int32_t row = (point.y - kHeaderHeight) / kRowHeight;
  return row < RowCount() ? row : -1;
}

void cHeadlessReportList::Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) {
  std::stable_sort(rows_.begin(), rows_.end(), [&compare](const cRow& a, const cRow& b) {
    return compare(a.value, b.value) < 0;
  });
}

int32_t cHeadlessReportList::ColumnLeft(int32_t index) const {
  const int32_t position = DisplayPosition(index);
  if (position < 0) return -1;
  int32_t left = 0;
  for (int32_t i = 0; i < position; ++i) {
    left += columns_[static_cast<size_t>(display_[static_cast<size_t>(i)])].width;
  }
  return left;
}

void cHeadlessReportList::MoveMouse(cPoint point) {
  if (!IsUsable()) return;
  if (events_ != nullptr) events_->OnMouseMove(point);
}

void cHeadlessReportList::ClickAt(cPoint point) {
  if (!IsUsable()) return;
  if (events_ != nullptr) {
    events_->OnMouseMove(point);
    events_->OnClickReleased();
  }
  // The list's own handling comes after its watcher's, as in the real toolkit.
  const int32_t row = HitTest(point);
  if (row < 0) return;
  for (cRow& each : rows_) each.selected = false;
  rows_[static_cast<size_t>(row)].selected = true;
  if (events_ != nullptr) events_->OnSelectionChanged();
  if ((styles_ & kListCheckBoxes) == 0) return;
  const int32_t box_left = ColumnLeft(0) + kCheckBoxInset;
  const int32_t box_top = RowTop(row) + (kRowHeight - kCheckBoxSize) / 2;
  const cRect box{box_left, box_top, box_left + kCheckBoxSize, box_top + kCheckBoxSize};
  if (box.Contains(point)) {
    cRow& clicked = rows_[static_cast<size_t>(row)];
    clicked.checked = !clicked.checked;
  }
}

void cHeadlessReportList::ToggleFromKeyboard(int32_t row) {
  if (!IsUsable() || !ValidRow(row) || (styles_ & kListCheckBoxes) == 0) return;
  for (cRow& each : rows_) each.selected = false;
  rows_[static_cast<size_t>(row)].selected = true;
  if (events_ != nullptr) events_->OnCheckToggling(row);
  // The watcher may have emptied the list (a refresh started from its handler).
  if (!ValidRow(row)) return;
  cRow& toggled = rows_[static_cast<size_t>(row)];
  toggled.checked = !toggled.checked;
}

void cHeadlessReportList::ClickHeader(int32_t column) {
  if (!IsUsable() || !ValidColumn(column)) return;
  if (events_ != nullptr) events_->OnHeaderClicked(column);
}
