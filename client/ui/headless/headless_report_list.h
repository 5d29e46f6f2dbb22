// cHeadlessReportList: an in-memory report list with fixed pixel geometry, so tests can
// click at exact points. The header is kHeaderHeight pixels high at the top; rows follow,
// kRowHeight each; columns lie side by side from x = 0 in display order. A row's check box
// is the kCheckBoxSize square kCheckBoxInset pixels in from column 0's left edge, centred
// vertically in the row.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_REPORT_LIST_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_REPORT_LIST_H_

#include <vector>

#include "client/ui/headless/headless_control.h"
#include "client/ui/report_list.h"
#include "client/ui/report_rows.h"

namespace hv {

class cHeadlessReportList : public tHeadlessControl<cReportList> {
 public:
  static constexpr int32_t kHeaderHeight = 20;
  static constexpr int32_t kRowHeight = 16;
  static constexpr int32_t kCheckBoxInset = 2;
  static constexpr int32_t kCheckBoxSize = 12;
  // Every character of a text is this wide, and a header item or cell adds the padding.
  static constexpr int32_t kCharWidth = 6;
  static constexpr int32_t kTextPadding = 8;

  using tHeadlessControl<cReportList>::tHeadlessControl;

  void SetListStyles(uint32_t styles) override { styles_ = styles; }
  uint32_t ListStyles() const override { return styles_; }
  void SetImageList(cImageList* images) override { images_ = images; }

  int32_t InsertColumn(int32_t index, const char* text, int32_t width) override;
  int32_t ColumnCount() const override { return static_cast<int32_t>(columns_.size()); }
  bool GetColumn(int32_t index, cListColumn* column) const override;
  bool SetColumnWidth(int32_t index, int32_t width) override;
  int32_t TextWidth(const char* text, bool header) const override;
  bool SetColumnOrder(int32_t index, int32_t order) override;

  void SetRowTexts(const cReportRowTexts* owner) override { rows_.SetOwner(owner); }
  int32_t InsertRow(int32_t index, const char* text, int32_t image, cItemValue value) override;
  int32_t InsertRowTexts(int32_t index, const char* const* texts, int32_t count, int32_t image,
                         cItemValue value) override {
    return rows_.Insert(index, texts, count, image, value);
  }
  int32_t RowCount() const override { return rows_.Count(); }
  bool SetCellText(int32_t row, int32_t column, const char* text) override;
  swString CellText(int32_t row, int32_t column) const override;
  bool SetRowImage(int32_t row, int32_t image) override;
  int32_t RowImage(int32_t row) const override;
  cItemValue RowValue(int32_t row) const override;
  bool SetRowValue(int32_t row, cItemValue value) override;
  bool SetCheck(int32_t row, bool checked) override;
  bool GetCheck(int32_t row) const override;
  bool DeleteRow(int32_t row) override;
  void DeleteAllRows() override;
  int32_t NextSelected(int32_t after) const override;
  void SetSelected(int32_t row, bool selected) override;
  int32_t HitTest(cPoint point) const override;
  void Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) override {
    (void)rows_.SortByValue(compare);
  }
  void SortRows(const std::function<bool(int32_t a, int32_t b)>& before) override {
    (void)rows_.Sort(before);
  }
  void SetSortIndicator(int32_t column, int32_t direction) override {
    sort_column_ = ValidColumn(column) ? column : -1;
    sort_direction_ = direction < 0 ? -1 : 1;
  }
  int32_t SortIndicatorColumn() const override { return sort_column_; }
  int32_t SortIndicatorDirection() const override { return sort_direction_; }
  void SetEvents(cReportListEvents* events) override { events_ = events; }

  // What a test does with the mouse. Both do nothing on a hidden or disabled list.
  void MoveMouse(cPoint point);
  // A left click: press and release at the point. The watcher hears of it first; then the
  // list selects the row and, when the point is on its check box, toggles the box.
  void ClickAt(cPoint point);
  // The space bar on a row (or the accessibility interface's toggle): the row becomes the
  // selected one, the watcher hears of it, then the box toggles. Nothing on a hidden or
  // disabled list, a row out of range, or a list without check boxes.
  void ToggleFromKeyboard(int32_t row);
  // A left click on the header item of a column: the watcher hears of it.
  void ClickHeader(int32_t column);

  // Geometry, for tests to aim with.
  int32_t ColumnLeft(int32_t index) const;  // x of the column's left edge; -1 when none
  int32_t RowTop(int32_t row) const { return kHeaderHeight + row * kRowHeight; }
  cImageList* ImageList() const { return images_; }

 private:
  bool ValidRow(int32_t row) const { return rows_.Valid(row); }
  bool ValidColumn(int32_t column) const { return column >= 0 && column < ColumnCount(); }
  int32_t DisplayPosition(int32_t index) const;

  struct cColumn {
    swString text;
    int32_t width = 0;
  };
  std::vector<cColumn> columns_;
  std::vector<int32_t> display_;  // column indices in display order
  cReportRows rows_;
  uint32_t styles_ = 0;
  int32_t sort_column_ = -1;
  int32_t sort_direction_ = 1;
  cImageList* images_ = nullptr;
  cReportListEvents* events_ = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_REPORT_LIST_H_
