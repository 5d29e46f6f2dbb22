#include "client/views/activity_items.h"

#include <utility>

CActivityItemList::~CActivityItemList() { Clear(); }

CActivityItem* CActivityItemList::Append(std::unique_ptr<CActivityItem> item) {
  if (item == nullptr) return nullptr;
  items_.push_back(std::move(item));
  return items_.back().get();
}

bool CActivityItemList::RemoveOldest() {
  if (items_.empty()) return false;
  // Taken out of the list first, so a hook that walks the list no longer sees it.
  std::unique_ptr<CActivityItem> oldest = std::move(items_.front());
  items_.pop_front();
  if (forget_) forget_(oldest.get());
  return true;
}

void CActivityItemList::Clear() {
  while (RemoveOldest()) {
  }
}

CActivityItem* CActivityItemList::At(size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}
