#include "client/ui/qt/report_list_model.h"

#include <algorithm>

#include "client/ui/qt/qt_image_list.h"
#include "client/ui/qt/text_codec.h"

namespace hv {

cReportListModel::cReportListModel(QObject* parent) : QAbstractTableModel(parent) {
  tail_timer_.setSingleShot(true);
  tail_timer_.setInterval(0);
  QObject::connect(&tail_timer_, &QTimer::timeout, this, [this] { RemoveDeletedTail(); });
}

int cReportListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_.Count() + deleted_tail_;
}

int cReportListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant cReportListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !ValidRow(index.row())) return QVariant();
  const int32_t row = index.row();
  const int32_t column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    // The whole text where a narrow column cuts it short (a status beside its check box).
    case Qt::ToolTipRole: return DecodeText(rows_.Text(row, column).data());
    case Qt::CheckStateRole:
      if (column == 0 && check_boxes_) return rows_.Checked(row) ? Qt::Checked : Qt::Unchecked;
      return QVariant();
    case Qt::DecorationRole:
      if (column == 0 && images_ != nullptr) {
        if (auto* images = dynamic_cast<cQtImageList*>(images_)) {
          return images->Decoration(rows_.Image(row));
        }
      }
      return QVariant();
    default: return QVariant();
  }
}

bool cReportListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0 || !ValidRow(index.row())) return false;
  SetChecked(index.row(), value.toInt() == Qt::Checked);
  return true;
}

QVariant cReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= static_cast<int>(columns_.size())) {
    return QVariant();
  }
  return DecodeText(columns_[static_cast<size_t>(section)]);
}

Qt::ItemFlags cReportListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  if (index.column() == 0 && check_boxes_) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

void cReportListModel::SetCheckBoxes(bool on) {
  if (check_boxes_ == on) return;
  check_boxes_ = on;
  RemoveDeletedTail();
  if (rows_.Count() != 0) emit dataChanged(index(0, 0), index(rows_.Count() - 1, 0));
}

void cReportListModel::SetRowTexts(const cReportRowTexts* owner) {
  if (owner == rows_.Owner()) return;
  RemoveDeletedTail();
  beginResetModel();
  rows_.SetOwner(owner);
  endResetModel();
}

void cReportListModel::SetImageList(cImageList* images) {
  images_ = images;
  RemoveDeletedTail();
  if (rows_.Count() != 0) emit dataChanged(index(0, 0), index(rows_.Count() - 1, 0));
}

int32_t cReportListModel::InsertColumn(int32_t index, const char* text) {
  RemoveDeletedTail();
  const int32_t at = std::clamp(index, 0, static_cast<int32_t>(columns_.size()));
  beginInsertColumns(QModelIndex(), at, at);
  columns_.insert(columns_.begin() + at, swString(text));
  rows_.InsertColumn(at);
  endInsertColumns();
  return at;
}

int32_t cReportListModel::InsertRow(int32_t index, const char* const* texts, int32_t count,
                                    int32_t image, cItemValue value) {
  const int32_t at = std::clamp(index, 0, rows_.Count());
  if (at == 0 && deleted_tail_ > 0) {
    rows_.Insert(0, texts, count, image, value);
    --deleted_tail_;
    ShiftDown();
    return 0;
  }
  RemoveDeletedTail();
  beginInsertRows(QModelIndex(), at, at);
  rows_.Insert(at, texts, count, image, value);
  endInsertRows();
  return at;
}

bool cReportListModel::DeleteRow(int32_t row) {
  if (!ValidRow(row)) return false;
  if (row == rows_.Count() - 1) {
    rows_.Delete(row);
    ++deleted_tail_;
    if (!tail_timer_.isActive()) tail_timer_.start();
    return true;
  }
  RemoveDeletedTail();
  beginRemoveRows(QModelIndex(), row, row);
  rows_.Delete(row);
  endRemoveRows();
  return true;
}

void cReportListModel::DeleteAllRows() {
  beginResetModel();
  rows_.Clear();
  deleted_tail_ = 0;
  endResetModel();
}

void cReportListModel::RemoveDeletedTail() {
  tail_timer_.stop();
  if (deleted_tail_ == 0) return;
  const int32_t first = rows_.Count();
  beginRemoveRows(QModelIndex(), first, first + deleted_tail_ - 1);
  deleted_tail_ = 0;
  endRemoveRows();
}

void cReportListModel::ShiftDown() {
  // Qt's row count is what it was; every row it knows moved one down, and the deleted rows
  // are gone. Selection, current row and the like are persistent indexes: they follow.
  const int32_t shown = rows_.Count();
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before) {
    const int next = old.row() + 1;
    after.append(next < shown && old.row() < shown - 1 ? index(next, old.column()) : QModelIndex());
  }
  changePersistentIndexList(before, after);
  const int last_column = std::max(columnCount() - 1, 0);
  emit dataChanged(index(0, 0), index(rowCount() - 1, last_column), {});
}

bool cReportListModel::SetText(int32_t row, int32_t column, const char* text) {
  if (column < 0 || column >= columnCount() || !rows_.SetText(row, column, text)) return false;
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
  return true;
}

void cReportListModel::SetImage(int32_t row, int32_t image) {
  rows_.SetImage(row, image);
  const QModelIndex cell = index(row, 0);
  emit dataChanged(cell, cell, {Qt::DecorationRole});
}

void cReportListModel::SetChecked(int32_t row, bool checked) {
  rows_.SetChecked(row, checked);
  const QModelIndex cell = index(row, 0);
  emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void cReportListModel::Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) {
  Reorder([&] { return rows_.SortByValue(compare); });
}

void cReportListModel::SortRows(const std::function<bool(int32_t a, int32_t b)>& before) {
  Reorder([&] { return rows_.Sort(before); });
}

void cReportListModel::Reorder(const std::function<std::vector<int32_t>()>& reorder) {
  RemoveDeletedTail();
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<int32_t> new_index = reorder();
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before) {
    after.append(index(new_index[static_cast<size_t>(old.row())], old.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace hv
