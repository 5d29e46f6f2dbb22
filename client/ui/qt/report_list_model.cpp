#include "client/ui/qt/report_list_model.h"

#include <algorithm>
#include <numeric>

#include "client/ui/qt/qt_image_list.h"
#include "client/ui/qt/text_codec.h"

int cReportListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int cReportListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant cReportListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !ValidRow(index.row())) return QVariant();
  const cRow& row = Row(index.row());
  const auto column = static_cast<size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole:
    // The whole text where a narrow column cuts it short (a status beside its check box).
    case Qt::ToolTipRole:
      return column < row.cells.size() ? DecodeText(row.cells[column]) : QString();
    case Qt::CheckStateRole:
      if (column == 0 && check_boxes_) return row.checked ? Qt::Checked : Qt::Unchecked;
      return QVariant();
    case Qt::DecorationRole:
      if (column == 0 && images_ != nullptr) {
        if (auto* images = dynamic_cast<cQtImageList*>(images_)) {
          return images->Pixmap(row.image);
        }
      }
      return QVariant();
    default:
      return QVariant();
  }
}

bool cReportListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != 0 || !ValidRow(index.row())) return false;
  Row(index.row()).checked = value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

QVariant cReportListModel::headerData(int section, Qt::Orientation orientation,
                                      int role) const {
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
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, 0));
}

void cReportListModel::SetImageList(cImageList* images) {
  images_ = images;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, 0));
}

int32_t cReportListModel::InsertColumn(int32_t index, const char* text) {
  const int32_t at = std::clamp(index, 0, static_cast<int32_t>(columns_.size()));
  beginInsertColumns(QModelIndex(), at, at);
  columns_.insert(columns_.begin() + at, swString(text));
  for (cRow& row : rows_) {
    if (static_cast<int32_t>(row.cells.size()) >= at) row.cells.insert(row.cells.begin() + at, swString());
  }
  endInsertColumns();
  return at;
}

int32_t cReportListModel::InsertRow(int32_t index, const char* text, int32_t image,
                                    cItemValue value) {
  const int32_t at = std::clamp(index, 0, static_cast<int32_t>(rows_.size()));
  cRow row;
  row.cells.resize(std::max<size_t>(columns_.size(), 1));
  row.cells[0] = text;
  row.image = image;
  row.value = value;
  beginInsertRows(QModelIndex(), at, at);
  rows_.insert(rows_.begin() + at, std::move(row));
  endInsertRows();
  return at;
}

bool cReportListModel::DeleteRow(int32_t row) {
  if (!ValidRow(row)) return false;
  beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
  return true;
}

void cReportListModel::DeleteAllRows() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

void cReportListModel::RowChanged(int32_t row) {
  if (!ValidRow(row) || columns_.empty()) return;
  emit dataChanged(index(row, 0), index(row, static_cast<int>(columns_.size()) - 1));
}

void cReportListModel::Sort(const std::function<int(cItemValue a, cItemValue b)>& compare) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return compare(rows_[a].value, rows_[b].value) < 0;
  });
  std::vector<int> new_position(rows_.size());
  std::deque<cRow> sorted;
  for (size_t i = 0; i < order.size(); ++i) {
    new_position[order[i]] = static_cast<int>(i);
    sorted.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sorted);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before) {
    after.append(index(new_position[static_cast<size_t>(old.row())], old.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
