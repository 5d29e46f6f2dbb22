#include "client/views/row_name_index.h"

const swString* cRowNameIndex::Append(const swString& name) {
  const auto row = static_cast<int32_t>(names_.size());
  names_.push_back(std::make_unique<swString>(name));
  const swString* copy = names_.back().get();
  rows_[Key(name)].push_back(row);
  row_of_[copy] = row;
  return copy;
}

const std::vector<int32_t>* cRowNameIndex::Rows(const swString& name) const {
  auto found = rows_.find(Key(name));
  return found != rows_.end() ? &found->second : nullptr;
}

const swString* cRowNameIndex::Name(int32_t row) const {
  if (row < 0 || row >= Count()) return nullptr;
  return names_[static_cast<size_t>(row)].get();
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
