// cReportListModel: the rows and columns of a report list as a Qt item model, over the
// toolkit-neutral row storage. Texts stay the program's 8-bit strings and are decoded only
// when a row is drawn, so filling a large list costs no conversions; a list whose owner keeps
// the texts asks it for them only then, too. Check boxes live in column 0 when the list has
// that style.
//
// A full log drops its last row before each new one at the top. Qt's table views pay for a
// removed row with a walk over every row, so the last rows the program deletes stay in the
// model, empty, until the event loop comes round again (then they go in one removal), and a
// row inserted at the top meanwhile takes the place of one of them: the rows are shown one
// place lower and the selection moves down with them, at no cost per row. The program sees
// only its own rows (Rows(), ValidRow); Qt sees those and the ones still waiting to go.
#ifndef HV_CLIENT_UI_QT_REPORT_LIST_MODEL_H_
#define HV_CLIENT_UI_QT_REPORT_LIST_MODEL_H_

#include <QAbstractTableModel>
#include <QTimer>
#include <functional>
#include <vector>

#include "client/ui/control.h"
#include "client/ui/report_rows.h"

namespace hv {

class cImageList;

class cReportListModel : public QAbstractTableModel {
 public:
  explicit cReportListModel(QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetCheckBoxes(bool on);
  // The owner of the rows' texts (borrowed), or null: the rows keep their own.
  void SetRowTexts(const cReportRowTexts* owner);
  void SetImageList(cImageList* images);

  int32_t InsertColumn(int32_t index, const char* text);
  const swString& ColumnText(int32_t index) const { return columns_[static_cast<size_t>(index)]; }

  int32_t InsertRow(int32_t index, const char* text, int32_t image, cItemValue value) {
    return InsertRow(index, &text, 1, image, value);
  }
  int32_t InsertRow(int32_t index, const char* const* texts, int32_t count, int32_t image,
                    cItemValue value);
  bool DeleteRow(int32_t row);
  void DeleteAllRows();
  bool ValidRow(int32_t row) const { return rows_.Valid(row); }
  const cReportRows& Rows() const { return rows_; }

  // Row fields; the setters tell the views what changed. They take a valid row.
  bool SetText(int32_t row, int32_t column, const char* text);
  void SetImage(int32_t row, int32_t image);
  void SetChecked(int32_t row, bool checked);
  void SetValue(int32_t row, cItemValue value) { rows_.SetValue(row, value); }

  // Stable reorder; selections (persistent indexes) follow their rows.
  void Sort(const std::function<int(cItemValue a, cItemValue b)>& compare);
  void SortRows(const std::function<bool(int32_t a, int32_t b)>& before);

 private:
  // Runs a reorder that returns each old row's new index, telling the views around it.
  void Reorder(const std::function<std::vector<int32_t>()>& reorder);
  // Removes the deleted rows Qt still shows, in one step.
  void RemoveDeletedTail();
  // A row was inserted at the top in place of a deleted last row: everything moved one down.
  void ShiftDown();

  std::vector<swString> columns_;
  cReportRows rows_;
  int32_t deleted_tail_ = 0;  // rows after rows_ that Qt still shows
  QTimer tail_timer_;         // removes them when the event loop comes round
  bool check_boxes_ = false;
  cImageList* images_ = nullptr;  // borrowed
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_REPORT_LIST_MODEL_H_
