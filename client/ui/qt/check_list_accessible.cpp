#include "client/ui/qt/check_list_accessible.h"

#include <QHeaderView>
#include <QPointer>

#include "client/ui/qt/qt_report_list.h"

namespace hv {

namespace {

// One header cell or one cell of a row; `row` -1 is the header.
class cListCellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  cListCellAccessible(cCheckListAccessible& list, int row, int column)
      : list_(list), view_(list.View()), row_(row), column_(column) {}

  bool isValid() const override {
    return !view_.isNull() && view_->model() != nullptr &&
           column_ < view_->model()->columnCount() && row_ < view_->model()->rowCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return list_.window(); }
  QAccessibleInterface* parent() const override { return &list_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (!isValid() || t != QAccessible::Name) return QString();
    if (row_ < 0) return view_->model()->headerData(column_, Qt::Horizontal).toString();
    return Index().data(Qt::DisplayRole).toString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  // A row's box is a check box to assistive programs, which then read its checked state as
  // such; every other cell is a cell of the table.
  QAccessible::Role role() const override {
    if (row_ < 0) return QAccessible::ColumnHeader;
    return Checkable() ? QAccessible::CheckBox : QAccessible::Cell;
  }
  QRect rect() const override {
    if (!isValid()) return QRect();
    if (row_ < 0) {
      QHeaderView* header = view_->header();
      const QRect r(header->sectionViewportPosition(column_), 0, header->sectionSize(column_),
                    header->height());
      return QRect(header->mapToGlobal(r.topLeft()), r.size());
    }
    const QRect r = view_->visualRect(Index());
    return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::State state() const override {
    QAccessible::State st;
    if (!isValid()) {
      st.invalid = true;
      return st;
    }
    if (row_ < 0) return st;
    const QModelIndex index = Index();
    st.selectable = true;
    st.focusable = true;
    st.selected = view_->selectionModel()->isSelected(index);
    st.focused = view_->currentIndex() == index && view_->hasFocus();
    if (Checkable()) {
      st.checkable = true;
      st.checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    return st;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface && Checkable()) {
      return static_cast<QAccessibleActionInterface*>(this);
    }
    return nullptr;
  }

  // QAccessibleActionInterface: a box's one action toggles it, as the space bar does.
  QStringList actionNames() const override { return {toggleAction()}; }
  void doAction(const QString& name) override {
    if (name == toggleAction() && Checkable()) view_->List().ToggleCheck(row_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QModelIndex Index() const { return view_->model()->index(row_, column_); }
  bool Checkable() const {
    return isValid() && row_ >= 0 && (Index().flags() & Qt::ItemIsUserCheckable);
  }

  cCheckListAccessible& list_;
  QPointer<cQtReportListView> view_;
  const int row_;
  const int column_;
};

QAccessibleInterface* MakeAccessible(const QString& class_name, QObject* object) {
  if (class_name != QLatin1String("QTableView")) return nullptr;
  auto* view = dynamic_cast<cQtReportListView*>(object);
  return view != nullptr ? new cCheckListAccessible(view) : nullptr;
}

}  // namespace

cCheckListAccessible::cCheckListAccessible(cQtReportListView* view)
    : QAccessibleWidget(view, QAccessible::Table) {
  QAbstractItemModel* model = view->model();
  if (model == nullptr) return;
  // Rows are appended at the end, which leaves every child's number as it was; anything
  // else renumbers the children, so the ones made so far are dropped.
  auto forget = [this] { ForgetChildren(); };
  QObject::connect(model, &QAbstractItemModel::rowsRemoved, &connections_, forget);
  QObject::connect(model, &QAbstractItemModel::rowsMoved, &connections_, forget);
  QObject::connect(model, &QAbstractItemModel::rowsInserted, &connections_,
                   [this](const QModelIndex&, int first, int) {
                     if (first < View()->model()->rowCount() - 1) ForgetChildren();
                   });
  QObject::connect(model, &QAbstractItemModel::columnsInserted, &connections_, forget);
  QObject::connect(model, &QAbstractItemModel::columnsRemoved, &connections_, forget);
  QObject::connect(model, &QAbstractItemModel::modelReset, &connections_, forget);
  QObject::connect(model, &QAbstractItemModel::layoutChanged, &connections_, forget);
  QObject::connect(model, &QAbstractItemModel::dataChanged, &connections_,
                   [this](const QModelIndex& top_left, const QModelIndex& bottom_right,
                          const QList<int>& roles) {
                     // Every role of many rows at once: the rows moved (a full log shows a
                     // new entry at the top), so the children made so far name other rows.
                     if (roles.isEmpty() && bottom_right.row() > top_left.row()) {
                       ForgetChildren();
                       return;
                     }
                     if (!roles.contains(Qt::CheckStateRole) || top_left.column() != 0) return;
                     for (int row = top_left.row(); row <= bottom_right.row(); ++row) {
                       CheckChanged(row);
                     }
                   });
}

cCheckListAccessible::~cCheckListAccessible() { ForgetChildren(); }

void cCheckListAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(MakeAccessible);
    return true;
  }();
  (void)installed;
}

int cCheckListAccessible::childCount() const {
  QAbstractItemModel* model = View()->model();
  if (model == nullptr) return 0;
  return (model->rowCount() + 1) * model->columnCount();
}

QAccessibleInterface* cCheckListAccessible::child(int index) const {
  QAbstractItemModel* model = View()->model();
  if (model == nullptr || index < 0 || index >= childCount()) return nullptr;
  auto known = children_.constFind(index);
  if (known != children_.constEnd()) return QAccessible::accessibleInterface(known.value());
  const int columns = model->columnCount();
  auto* cell = new cListCellAccessible(*const_cast<cCheckListAccessible*>(this),
                                       index / columns - 1, index % columns);
  children_.insert(index, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

int cCheckListAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
  for (auto it = children_.constBegin(); it != children_.constEnd(); ++it) {
    if (it.value() == id) return it.key();
  }
  return -1;
}

QAccessibleInterface* cCheckListAccessible::childAt(int x, int y) const {
  cQtReportListView* view = View();
  const QPoint at = view->viewport()->mapFromGlobal(QPoint(x, y));
  const QModelIndex index = view->indexAt(at);
  if (!index.isValid()) return nullptr;
  return child((index.row() + 1) * view->model()->columnCount() + index.column());
}

QAccessibleInterface* cCheckListAccessible::focusChild() const {
  cQtReportListView* view = View();
  const QModelIndex current = view->currentIndex();
  if (!current.isValid() || view->model() == nullptr) return nullptr;
  return child((current.row() + 1) * view->model()->columnCount() + current.column());
}

void cCheckListAccessible::CheckChanged(int row) {
  QAbstractItemModel* model = View()->model();
  if (model == nullptr || !QAccessible::isActive()) return;
  QAccessibleInterface* box = child((row + 1) * model->columnCount());
  if (box == nullptr) return;
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent event(box, changed);
  QAccessible::updateAccessibility(&event);
}

void cCheckListAccessible::ForgetChildren() {
  const QHash<int, QAccessible::Id> children = std::move(children_);
  children_.clear();
  for (QAccessible::Id id : children) QAccessible::deleteAccessibleInterface(id);
}

}  // namespace hv
