// cQtIconList: the icon form of a report list, on a QListView in icon mode over the same row
// model: each row is its picture with column 0's text below it, laid out in rows that
// rearrange themselves when the list changes size. It has one column, from the start; the
// column operations change nothing, as an icon list shows no header.
#ifndef HV_CLIENT_UI_QT_QT_ICON_LIST_H_
#define HV_CLIENT_UI_QT_QT_ICON_LIST_H_

#include <QListView>

#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/report_list_model.h"
#include "client/ui/report_list.h"

class cQtIconList : public tQtControl<cReportList> {
 public:
  cQtIconList(QWidget* parent, const cControlLayout& layout);
  ~cQtIconList() override;

  void SetListStyles(uint32_t styles) override { styles_ = styles; }
  uint32_t ListStyles() const override { return styles_; }
  // The pictures' cell size becomes the icon size.
  void SetImageList(cImageList* images) override;

  int32_t InsertColumn(int32_t index, const char* text, int32_t width) override;
  int32_t ColumnCount() const override { return model_->columnCount(); }
  bool GetColumn(int32_t index, cListColumn* column) const override;
  bool SetColumnWidth(int32_t index, int32_t width) override;
  // An icon list's one column is as wide as its pictures, whatever its text.
  int32_t TextWidth(const char* /*text*/, bool /*header*/) const override { return 0; }
  bool SetColumnOrder(int32_t index, int32_t order) override;

  int32_t InsertRow(int32_t index, const char* text, int32_t image, cItemValue value) override;
  int32_t InsertRowTexts(int32_t index, const char* const* texts, int32_t count, int32_t image,
                         cItemValue value) override {
    return model_->InsertRow(index, texts, count, image, value);
  }
  int32_t RowCount() const override { return model_->Rows().Count(); }
  bool SetCellText(int32_t row, int32_t column, const char* text) override;
  swString CellText(int32_t row, int32_t column) const override;
  bool SetRowImage(int32_t row, int32_t image) override;
  int32_t RowImage(int32_t row) const override;
  cItemValue RowValue(int32_t row) const override;
  bool SetRowValue(int32_t row, cItemValue value) override;
  bool SetCheck(int32_t row, bool checked) override;
  bool GetCheck(int32_t row) const override;
  bool DeleteRow(int32_t row) override { return model_->DeleteRow(row); }
  void DeleteAllRows() override { model_->DeleteAllRows(); }
  int32_t NextSelected(int32_t after) const override;
  void SetSelected(int32_t row, bool selected) override;
  int32_t HitTest(cPoint point) const override;
  void Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) override {
    model_->Sort(compare);
  }
  void SortRows(const std::function<bool(int32_t a, int32_t b)>& before) override {
    model_->SortRows(before);
  }
  // An icon list has no header to mark.
  void SetSortIndicator(int32_t /*column*/, int32_t /*direction*/) override {}
  int32_t SortIndicatorColumn() const override { return -1; }
  int32_t SortIndicatorDirection() const override { return 1; }
  void SetEvents(cReportListEvents* events) override { events_ = events; }

  QListView* View() const { return view_; }

 private:
  QListView* view_;
  cReportListModel* model_;  // owned by the view
  uint32_t styles_ = 0;
  cReportListEvents* events_ = nullptr;
};

#endif  // HV_CLIENT_UI_QT_QT_ICON_LIST_H_
