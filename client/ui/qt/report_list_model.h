// cReportListModel: the rows and columns of a report list as a Qt item model. Texts stay the
// program's 8-bit strings and are decoded only when a row is drawn, so filling a large list
// costs no conversions. Check boxes live in column 0 when the list has that style.
#ifndef HV_CLIENT_UI_QT_REPORT_LIST_MODEL_H_
#define HV_CLIENT_UI_QT_REPORT_LIST_MODEL_H_

#include <QAbstractTableModel>
#include <deque>
#include <functional>
#include <vector>

#include "client/ui/control.h"

class cImageList;

class cReportListModel : public QAbstractTableModel {
 public:
  struct cRow {
    std::vector<swString> cells;
    int32_t image = 0;
    bool checked = false;
    cItemValue value = 0;
  };

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetCheckBoxes(bool on);
  void SetImageList(cImageList* images);

  int32_t InsertColumn(int32_t index, const char* text);
  const swString& ColumnText(int32_t index) const { return columns_[static_cast<size_t>(index)]; }

  int32_t InsertRow(int32_t index, const char* text, int32_t image, cItemValue value);
  bool DeleteRow(int32_t row);
  void DeleteAllRows();
  bool ValidRow(int32_t row) const { return row >= 0 && row < static_cast<int32_t>(rows_.size()); }
  cRow& Row(int32_t row) { return rows_[static_cast<size_t>(row)]; }
  const cRow& Row(int32_t row) const { return rows_[static_cast<size_t>(row)]; }
  // Tells the views that a row's texts, image or check changed.
  void RowChanged(int32_t row);

  // Stable reorder by the rows' values; selections (persistent indexes) follow their rows.
  void Sort(const std::function<int(cItemValue a, cItemValue b)>& compare);

 private:
  std::vector<swString> columns_;
  // A deque, so a log that inserts at the top and trims at the bottom pays the same for
  // its hundred-thousandth row as for its first.
  std::deque<cRow> rows_;
  bool check_boxes_ = false;
  cImageList* images_ = nullptr;  // borrowed
};

#endif  // HV_CLIENT_UI_QT_REPORT_LIST_MODEL_H_
