// How a report list with check boxes shows itself to the desktop's accessibility interface
// (AT-SPI). Qt's own description of a table view exposes each row's box as a checkable cell,
// but its "toggle" action selects the cell instead of toggling the box; this one keeps Qt's
// shape (the header's cells first, then the cells row by row, so Qt's focus and selection
// events still name the right child) and makes "toggle" on a box do what the space bar does,
// which sends the same request as a click.
#ifndef HV_CLIENT_UI_QT_CHECK_LIST_ACCESSIBLE_H_
#define HV_CLIENT_UI_QT_CHECK_LIST_ACCESSIBLE_H_

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QObject>
#include <QTableView>

namespace hv {

class cQtReportList;

// The table view of a cQtReportList: it knows its list, so that its accessible description
// can reach it. A table rather than a tree, because a tree lays out every row again after
// each insertion, which makes a long log slower with every entry; a table's rows all have
// the one height of its hidden row header.
class cQtReportListView : public QTableView {
 public:
  cQtReportListView(QWidget* parent, cQtReportList& list) : QTableView(parent), list_(list) {}
  cQtReportList& List() const { return list_; }
  QHeaderView* header() const { return horizontalHeader(); }

 private:
  cQtReportList& list_;
};

class cCheckListAccessible : public QAccessibleWidget {
 public:
  explicit cCheckListAccessible(cQtReportListView* view);
  ~cCheckListAccessible() override;

  // Makes Qt describe every cQtReportListView with this class. Safe to call more than once.
  static void Install();

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  cQtReportListView* View() const { return static_cast<cQtReportListView*>(widget()); }
  // Tells assistive programs that a row's box changed.
  void CheckChanged(int row);
  // Forgets the children made so far (rows or columns were removed or reordered).
  void ForgetChildren();

 private:
  mutable QHash<int, QAccessible::Id> children_;
  // The context of the model connections, so that they end with this object.
  QObject connections_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_CHECK_LIST_ACCESSIBLE_H_
