#include "client/ui/headless/headless_report_list.h"

#include <algorithm>
#include <cstring>

namespace hv {

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
  rows_.InsertColumn(at);
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

int32_t cHeadlessReportList::TextWidth(const char* text, bool header) const {
  const int32_t length = text != nullptr ? static_cast<int32_t>(std::strlen(text)) : 0;
  return length * kCharWidth + kTextPadding + (header ? kCheckBoxSize : 0);
}

bool cHeadlessReportList::SetColumnOrder(int32_t index, int32_t order) {
  if (!ValidColumn(index)) return false;
  display_.erase(display_.begin() + DisplayPosition(index));
  display_.insert(display_.begin() + Clamp(order, 0, static_cast<int32_t>(display_.size())), index);
  return true;
}

int32_t cHeadlessReportList::InsertRow(int32_t index, const char* text, int32_t image,
                                       cItemValue value) {
  return rows_.Insert(index, text, image, value);
}

bool cHeadlessReportList::SetCellText(int32_t row, int32_t column, const char* text) {
  return ValidColumn(column) && rows_.SetText(row, column, text);
}

swString cHeadlessReportList::CellText(int32_t row, int32_t column) const {
  return swString(rows_.Text(row, column).data());
}

bool cHeadlessReportList::SetRowImage(int32_t row, int32_t image) {
  if (!ValidRow(row)) return false;
  rows_.SetImage(row, image);
  return true;
}

int32_t cHeadlessReportList::RowImage(int32_t row) const {
  return ValidRow(row) ? rows_.Image(row) : -1;
}

cItemValue cHeadlessReportList::RowValue(int32_t row) const {
  return ValidRow(row) ? rows_.Value(row) : 0;
}

bool cHeadlessReportList::SetRowValue(int32_t row, cItemValue value) {
  if (!ValidRow(row)) return false;
  rows_.SetValue(row, value);
  return true;
}

bool cHeadlessReportList::SetCheck(int32_t row, bool checked) {
  if (!ValidRow(row)) return false;
  rows_.SetChecked(row, checked);
  return true;
}

bool cHeadlessReportList::GetCheck(int32_t row) const {
  return ValidRow(row) && rows_.Checked(row);
}

bool cHeadlessReportList::DeleteRow(int32_t row) { return rows_.Delete(row); }

void cHeadlessReportList::DeleteAllRows() { rows_.Clear(); }

int32_t cHeadlessReportList::NextSelected(int32_t after) const {
  for (int32_t row = std::max(after + 1, 0); row < RowCount(); ++row) {
    if (rows_.Selected(row)) return row;
  }
  return -1;
}

void cHeadlessReportList::SetSelected(int32_t row, bool selected) {
  if (ValidRow(row)) rows_.SetSelected(row, selected);
}

int32_t cHeadlessReportList::HitTest(cPoint point) const {
  int32_t total_width = 0;
  for (const cColumn& column : columns_) total_width += column.width;
  if (point.x < 0 || point.x >= total_width || point.y < kHeaderHeight) return -1;
  const int32_t row = (point.y - kHeaderHeight) / kRowHeight;
  return row < RowCount() ? row : -1;
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
  rows_.SelectOnly(row);
  if (events_ != nullptr) events_->OnSelectionChanged();
  if ((styles_ & kListCheckBoxes) == 0) return;
  const int32_t box_left = ColumnLeft(0) + kCheckBoxInset;
  const int32_t box_top = RowTop(row) + (kRowHeight - kCheckBoxSize) / 2;
  const cRect box{box_left, box_top, box_left + kCheckBoxSize, box_top + kCheckBoxSize};
  if (box.Contains(point)) rows_.SetChecked(row, !rows_.Checked(row));
}

void cHeadlessReportList::ToggleFromKeyboard(int32_t row) {
  if (!IsUsable() || !ValidRow(row) || (styles_ & kListCheckBoxes) == 0) return;
  rows_.SelectOnly(row);
  if (events_ != nullptr) events_->OnCheckToggling(row);
  // The watcher may have emptied the list (a refresh started from its handler).
  if (!ValidRow(row)) return;
  rows_.SetChecked(row, !rows_.Checked(row));
}

void cHeadlessReportList::ClickHeader(int32_t column) {
  if (!IsUsable() || !ValidColumn(column)) return;
  if (events_ != nullptr) events_->OnHeaderClicked(column);
}

}  // namespace hv
