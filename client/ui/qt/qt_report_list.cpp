#include "client/ui/qt/qt_report_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionHeader>
#include <algorithm>

#include "client/ui/qt/text_codec.h"

namespace hv {

// Hands the viewport's mouse events to the list's watcher before the view handles them, so
// a watcher reading a row's check state at the release reads the state before the click.
// It also takes the space bar from the view, whose own handling would toggle a box only in
// the box's column and without telling the watcher.
class cQtReportList::cMouseWatcher : public QObject {
 public:
  cMouseWatcher(cQtReportList& list, QObject* parent) : QObject(parent), list_(list) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && watched == list_.View()) {
      return ToggleKey(static_cast<QKeyEvent*>(event));
    }
    cReportListEvents* events = list_.Events();
    if (events == nullptr) return QObject::eventFilter(watched, event);
    switch (event->type()) {
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress: {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        events->OnMouseMove(cPoint{at.x(), at.y()});
        break;
      }
      case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        events->OnMouseMove(cPoint{at.x(), at.y()});
        if (mouse->button() == Qt::LeftButton) events->OnClickReleased();
        break;
      }
      default: break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  // True when the key was the space bar on a list with check boxes (then it is used up).
  bool ToggleKey(QKeyEvent* key) {
    if ((key->key() != Qt::Key_Space && key->key() != Qt::Key_Select) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
        (list_.ListStyles() & kListCheckBoxes) == 0) {
      return false;
    }
    const QModelIndex current = list_.View()->currentIndex();
    if (current.isValid()) list_.ToggleCheck(current.row());
    return true;
  }

  cQtReportList& list_;
};

cQtReportList::cQtReportList(QWidget* parent, const cControlLayout& layout)
    : cQtModelList(new cQtReportListView(parent, *this), layout),
      view_(static_cast<cQtReportListView*>(Widget())),
      watcher_(new cMouseWatcher(*this, view_)) {
  model_ = new cReportListModel(view_);
  view_->setModel(model_);
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->setCornerButtonEnabled(false);
  view_->setSortingEnabled(false);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectItems);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setTextElideMode(Qt::ElideRight);
  view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  // Rows are one line of text or one small picture high, whichever is taller, as a report
  // list's rows are; no row is measured.
  QHeaderView* rows = view_->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);
  rows->setDefaultSectionSize(std::max(view_->fontMetrics().height(), 16) + 4);
  QHeaderView* header = view_->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionsMovable(false);
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view_->viewport()->setMouseTracking(true);
  view_->viewport()->installEventFilter(watcher_);
  view_->installEventFilter(watcher_);
  cCheckListAccessible::Install();
  QObject::connect(header, &QHeaderView::sectionClicked, view_, [this](int column) {
    if (events_ != nullptr) events_->OnHeaderClicked(column);
  });
  // Only what the user does counts: a row removed or selected by the program is no news.
  QObject::connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, view_, [this] {
    if (events_ != nullptr && program_selecting_ == 0) events_->OnSelectionChanged();
  });
}

// The window deletes its widgets (the watcher among them) before it deletes the controls,
// so no event can reach a destroyed list, and the widgets need not be touched here.
cQtReportList::~cQtReportList() = default;

void cQtReportList::SetListStyles(uint32_t styles) {
  styles_ = styles;
  model_->SetCheckBoxes((styles & kListCheckBoxes) != 0);
  const bool full_row = (styles & kListFullRowSelect) != 0;
  view_->setSelectionBehavior(full_row ? QAbstractItemView::SelectRows
                                       : QAbstractItemView::SelectItems);
  view_->header()->setSectionsMovable((styles & kListHeaderDragDrop) != 0);
}

int32_t cQtReportList::InsertColumn(int32_t index, const char* text, int32_t width) {
  const int32_t at = model_->InsertColumn(index, text);
  view_->header()->resizeSection(at, std::max(width, 0));
  return at;
}

bool cQtReportList::GetColumn(int32_t index, cListColumn* column) const {
  if (index < 0 || index >= ColumnCount() || column == nullptr) return false;
  column->text = model_->ColumnText(index);
  column->width = view_->header()->sectionSize(index);
  column->order = view_->header()->visualIndex(index);
  return true;
}

bool cQtReportList::SetColumnWidth(int32_t index, int32_t width) {
  if (index < 0 || index >= ColumnCount()) return false;
  view_->header()->resizeSection(index, std::max(width, 0));
  return true;
}

int32_t cQtReportList::TextWidth(const char* text, bool header) const {
  const QString shown = DecodeText(text);
  if (header) {
    QHeaderView* items = view_->header();
    QStyleOptionHeader option;
    option.initFrom(items);
    option.text = shown;
    option.sortIndicator = QStyleOptionHeader::SortDown;  // room for the arrow
    return items->style()
        ->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), items)
        .width();
  }
  // The margins the item delegate leaves on both sides of a cell's text, and a little air.
  const int margin = view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1;
  return view_->fontMetrics().horizontalAdvance(shown) + 2 * margin + 4;
}

bool cQtReportList::SetColumnOrder(int32_t index, int32_t order) {
  if (index < 0 || index >= ColumnCount()) return false;
  QHeaderView* header = view_->header();
  header->moveSection(header->visualIndex(index), std::clamp(order, 0, ColumnCount() - 1));
  return true;
}

int32_t cQtReportList::NextSelected(int32_t after) const {
  // Walks the selection's ranges rather than the rows, so a long list with nothing selected
  // answers at once.
  int32_t next = -1;
  const int32_t first = std::max(after + 1, 0);
  for (const QItemSelectionRange& range : view_->selectionModel()->selection()) {
    if (!range.isValid() || range.bottom() < first) continue;
    const int32_t candidate = std::max(range.top(), first);
    if (candidate >= RowCount()) continue;  // a deleted row Qt still shows
    if (next < 0 || candidate < next) next = candidate;
  }
  return next;
}

void cQtReportList::SetSelected(int32_t row, bool selected) {
  if (!model_->ValidRow(row)) return;
  ++program_selecting_;
  view_->selectionModel()->select(
      model_->index(row, 0),
      (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
          QItemSelectionModel::Rows);
  --program_selecting_;
}

int32_t cQtReportList::HitTest(cPoint point) const {
  const QModelIndex index = view_->indexAt(QPoint(point.x, point.y));
  return index.isValid() && model_->ValidRow(index.row()) ? index.row() : -1;
}

void cQtReportList::ToggleCheck(int32_t row) {
  if ((styles_ & kListCheckBoxes) == 0 || !model_->ValidRow(row)) return;
  if (events_ != nullptr) events_->OnCheckToggling(row);
  // The watcher may have changed the list (emptied it for a refresh, say).
  if (!model_->ValidRow(row)) return;
  SetCheck(row, !GetCheck(row));
}

void cQtReportList::SetSortIndicator(int32_t column, int32_t direction) {
  QHeaderView* header = view_->header();
  if (column < 0 || column >= ColumnCount()) {
    header->setSortIndicatorShown(false);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    return;
  }
  header->setSortIndicator(column, direction < 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
  header->setSortIndicatorShown(true);
}

int32_t cQtReportList::SortIndicatorColumn() const {
  const QHeaderView* header = view_->header();
  return header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1;
}

int32_t cQtReportList::SortIndicatorDirection() const {
  return view_->header()->sortIndicatorOrder() == Qt::DescendingOrder ? -1 : 1;
}

}  // namespace hv
