// Where a test clicks to tick a row's box on the real widgets: the box is drawn by the view's
// style, so its place is asked of the style rather than guessed.
#ifndef HV_CLIENT_UI_QT_TESTING_CHECK_BOX_CENTRE_H_
#define HV_CLIENT_UI_QT_TESTING_CHECK_BOX_CENTRE_H_

#include <QPoint>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>

namespace hv {

// The centre of the box of `row` (in column 0), in the view's viewport.
inline QPoint CheckBoxCentre(QTableView* view, int row) {
  const QModelIndex index = view->model()->index(row, 0);
  QStyleOptionViewItem option;
  option.initFrom(view);
  option.rect = view->visualRect(index);
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.text = index.data().toString();
  return view->style()
      ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view)
      .center();
}

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_TESTING_CHECK_BOX_CENTRE_H_
