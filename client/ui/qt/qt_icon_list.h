// cQtIconList: the icon form of a report list, on a QListView in icon mode over the same row
// model: each row is its picture with column 0's text below it, laid out in rows that
// rearrange themselves when the list changes size. It has one column, from the start; the
// column operations change nothing, as an icon list shows no header.
#ifndef HV_CLIENT_UI_QT_QT_ICON_LIST_H_
#define HV_CLIENT_UI_QT_QT_ICON_LIST_H_

#include <QListView>

#include "client/ui/qt/qt_model_list.h"

namespace hv {

class cQtIconList : public cQtModelList {
 public:
  cQtIconList(QWidget* parent, const cControlLayout& layout);
  ~cQtIconList() override;

  void SetListStyles(uint32_t styles) override { styles_ = styles; }
  uint32_t ListStyles() const override { return styles_; }
  // The pictures' cell size becomes the icon size.
  void SetImageList(cImageList* images) override;

  int32_t InsertColumn(int32_t index, const char* text, int32_t width) override;
  bool GetColumn(int32_t index, cListColumn* column) const override;
  bool SetColumnWidth(int32_t index, int32_t width) override;
  // An icon list's one column is as wide as its pictures, whatever its text.
  int32_t TextWidth(const char* /*text*/, bool /*header*/) const override { return 0; }
  bool SetColumnOrder(int32_t index, int32_t order) override;

  int32_t NextSelected(int32_t after) const override;
  void SetSelected(int32_t row, bool selected) override;
  int32_t HitTest(cPoint point) const override;
  // An icon list has no header to mark.
  void SetSortIndicator(int32_t /*column*/, int32_t /*direction*/) override {}
  int32_t SortIndicatorColumn() const override { return -1; }
  int32_t SortIndicatorDirection() const override { return 1; }

  QListView* View() const { return view_; }

 private:
  QListView* view_;
  uint32_t styles_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_ICON_LIST_H_
