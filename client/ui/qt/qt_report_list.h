// cQtReportList: the report list on a QTableView over cReportListModel. Rows have one fixed
// height and columns keep the widths they are given (nothing is sized to its contents), so
// a list of many thousand rows stays quick to fill and to scroll. Mouse positions are those
// of the view's viewport, where column edges add up from x = 0. The space bar toggles the
// focused row's box and the accessibility interface can toggle any row's; both reach the
// watcher first, as a click does.
#ifndef HV_CLIENT_UI_QT_QT_REPORT_LIST_H_
#define HV_CLIENT_UI_QT_QT_REPORT_LIST_H_

#include <QObject>

#include "client/ui/qt/check_list_accessible.h"
#include "client/ui/qt/qt_model_list.h"

namespace hv {

class cQtReportList : public cQtModelList {
 public:
  cQtReportList(QWidget* parent, const cControlLayout& layout);
  ~cQtReportList() override;

  void SetListStyles(uint32_t styles) override;
  uint32_t ListStyles() const override { return styles_; }
  void SetImageList(cImageList* images) override { model_->SetImageList(images); }

  int32_t InsertColumn(int32_t index, const char* text, int32_t width) override;
  bool GetColumn(int32_t index, cListColumn* column) const override;
  bool SetColumnWidth(int32_t index, int32_t width) override;
  int32_t TextWidth(const char* text, bool header) const override;
  bool SetColumnOrder(int32_t index, int32_t order) override;

  int32_t NextSelected(int32_t after) const override;
  void SetSelected(int32_t row, bool selected) override;
  int32_t HitTest(cPoint point) const override;
  void SetSortIndicator(int32_t column, int32_t direction) override;
  int32_t SortIndicatorColumn() const override;
  int32_t SortIndicatorDirection() const override;

  cQtReportListView* View() const { return view_; }
  cReportListEvents* Events() const { return events_; }

  // The user toggles a row's box without the mouse (the space bar, the accessibility
  // interface): the watcher hears of it first, as of a click, then the box toggles.
  // Nothing for a row out of range or a list without check boxes.
  void ToggleCheck(int32_t row);

 private:
  class cMouseWatcher;

  cQtReportListView* view_;
  cMouseWatcher* watcher_;  // owned by the view
  uint32_t styles_ = 0;
  int32_t program_selecting_ = 0;  // above 0 while the program itself selects
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_REPORT_LIST_H_
