#include "client/ui/qt/qt_icon_list.h"

#include <algorithm>

#include "client/ui/image_list.h"

namespace hv {

namespace {

// Labels break their lines as the program writes them ("\r\n"); Qt wants "\n" alone.
class cIconListModel : public cReportListModel {
 public:
  using cReportListModel::cReportListModel;
  QVariant data(const QModelIndex& index, int role) const override {
    QVariant value = cReportListModel::data(index, role);
    if (role == Qt::DisplayRole) {
      return value.toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    return value;
  }
};

}  // namespace

cQtIconList::cQtIconList(QWidget* parent, const cControlLayout& layout)
    : cQtModelList(new QListView(parent), layout), view_(static_cast<QListView*>(Widget())) {
  model_ = new cIconListModel(view_);
  // An icon list shows column 0 only; it exists from the start so rows always have a text.
  model_->InsertColumn(0, "");
  view_->setModel(model_);
  view_->setViewMode(QListView::IconMode);
  view_->setResizeMode(QListView::Adjust);
  view_->setMovement(QListView::Static);
  view_->setFlow(QListView::LeftToRight);
  view_->setWrapping(true);
  view_->setWordWrap(true);
  view_->setUniformItemSizes(true);
  view_->setSpacing(4);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

cQtIconList::~cQtIconList() = default;

void cQtIconList::SetImageList(cImageList* images) {
  model_->SetImageList(images);
  if (images != nullptr) view_->setIconSize(QSize(images->CellWidth(), images->CellHeight()));
}

int32_t cQtIconList::InsertColumn(int32_t /*index*/, const char* /*text*/, int32_t /*width*/) {
  // An icon list shows one text per row, in the column it has from the start.
  return 0;
}

bool cQtIconList::GetColumn(int32_t index, cListColumn* column) const {
  if (index < 0 || index >= ColumnCount() || column == nullptr) return false;
  column->text = model_->ColumnText(index);
  column->width = index == 0 ? view_->iconSize().width() : 0;
  column->order = index;
  return true;
}

bool cQtIconList::SetColumnWidth(int32_t index, int32_t /*width*/) {
  return index >= 0 && index < ColumnCount();
}

bool cQtIconList::SetColumnOrder(int32_t index, int32_t /*order*/) {
  return index >= 0 && index < ColumnCount();
}

int32_t cQtIconList::NextSelected(int32_t after) const {
  QItemSelectionModel* selection = view_->selectionModel();
  for (int32_t row = std::max(after + 1, 0); row < RowCount(); ++row) {
    if (selection->isRowSelected(row, QModelIndex())) return row;
  }
  return -1;
}

void cQtIconList::SetSelected(int32_t row, bool selected) {
  if (!model_->ValidRow(row)) return;
  view_->selectionModel()->select(model_->index(row, 0), selected ? QItemSelectionModel::Select
                                                                  : QItemSelectionModel::Deselect);
}

int32_t cQtIconList::HitTest(cPoint point) const {
  const QModelIndex index = view_->indexAt(QPoint(point.x, point.y));
  return index.isValid() && model_->ValidRow(index.row()) ? index.row() : -1;
}

}  // namespace hv
