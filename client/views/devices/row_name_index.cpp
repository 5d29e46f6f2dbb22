#include "client/views/devices/row_name_index.h"

namespace hv {

const swString* cRowNameIndex::Append(const swString& name) {
  const auto row = static_cast<int32_t>(names_.size());
  names_.push_back(name);
  const swString* copy = &names_.back();
  auto [entry, made] = rows_.try_emplace(std::string(Key(name)));
  cRowsOfName& rows = entry->second;
  if (made) {
    rows.first = row;
  } else {
    if (rows.all.empty()) rows.all.push_back(rows.first);
    rows.all.push_back(row);
  }
  row_of_[copy] = row;
  return copy;
}

std::span<const int32_t> cRowNameIndex::Rows(const swString& name) const {
  auto found = rows_.find(Key(name));
  return found != rows_.end() ? found->second.Rows() : std::span<const int32_t>();
}

const swString* cRowNameIndex::Name(int32_t row) const {
  if (row < 0 || row >= Count()) return nullptr;
  return &names_[static_cast<size_t>(row)];
}

int32_t cRowNameIndex::RowOf(const swString* name) const {
  auto found = row_of_.find(name);
  return found != row_of_.end() ? found->second : -1;
}

void cRowNameIndex::Clear() {
  rows_.clear();
  row_of_.clear();
  names_.clear();
}

}  // namespace hv
