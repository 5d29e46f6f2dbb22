// cQtModelList: the row operations of a report list whose rows live in a cReportListModel,
// written once for its two forms, the table (cQtReportList) and the icons (cQtIconList).
// The form makes its view and the model; what differs between them (columns, selection,
// hit testing, sort marks) stays with the form.
#ifndef HV_CLIENT_UI_QT_QT_MODEL_LIST_H_
#define HV_CLIENT_UI_QT_QT_MODEL_LIST_H_

#include <functional>

#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/report_list_model.h"
#include "client/ui/report_list.h"

namespace hv {

class cQtModelList : public tQtControl<cReportList> {
 public:
  int32_t ColumnCount() const override { return model_->columnCount(); }

  void SetRowTexts(const cReportRowTexts* owner) override { model_->SetRowTexts(owner); }
  int32_t InsertRow(int32_t index, const char* text, int32_t image, cItemValue value) override {
    return model_->InsertRow(index, text, image, value);
  }
  int32_t InsertRowTexts(int32_t index, const char* const* texts, int32_t count, int32_t image,
                         cItemValue value) override {
    return model_->InsertRow(index, texts, count, image, value);
  }
  int32_t RowCount() const override { return model_->Rows().Count(); }
  bool SetCellText(int32_t row, int32_t column, const char* text) override {
    return model_->SetText(row, column, text);
  }
  swString CellText(int32_t row, int32_t column) const override;
  bool SetRowImage(int32_t row, int32_t image) override;
  int32_t RowImage(int32_t row) const override;
  cItemValue RowValue(int32_t row) const override;
  bool SetRowValue(int32_t row, cItemValue value) override;
  bool SetCheck(int32_t row, bool checked) override;
  bool GetCheck(int32_t row) const override;
  bool DeleteRow(int32_t row) override { return model_->DeleteRow(row); }
  void DeleteAllRows() override { model_->DeleteAllRows(); }
  void Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) override {
    model_->Sort(compare);
  }
  void SortRows(const std::function<bool(int32_t a, int32_t b)>& before) override {
    model_->SortRows(before);
  }
  void SetEvents(cReportListEvents* events) override { events_ = events; }

 protected:
  cQtModelList(QWidget* view, const cControlLayout& layout)
      : tQtControl<cReportList>(view, layout) {}

  // Made by the form's constructor, before anything else uses it; owned by the view.
  cReportListModel* model_ = nullptr;
  cReportListEvents* events_ = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_MODEL_LIST_H_
