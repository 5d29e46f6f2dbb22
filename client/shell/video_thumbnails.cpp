#include "client/shell/video_thumbnails.h"

#include <algorithm>
#include <utility>

cVideoThumbnailList::~cVideoThumbnailList() { Clear(); }

cVideoThumbnail* cVideoThumbnailList::Append(std::unique_ptr<cVideoThumbnail> thumbnail) {
  if (thumbnail == nullptr) return nullptr;
  items_.push_back(std::move(thumbnail));
  return items_.back().get();
}

bool cVideoThumbnailList::Remove(const cVideoThumbnail* thumbnail) {
  auto found = std::find_if(items_.begin(), items_.end(),
                            [thumbnail](const auto& item) { return item.get() == thumbnail; });
  if (found == items_.end()) return false;
  std::unique_ptr<cVideoThumbnail> removed = std::move(*found);
  items_.erase(found);
  if (forget_) forget_(removed.get());
  return true;
}

void cVideoThumbnailList::Clear() {
  while (!items_.empty()) {
    std::unique_ptr<cVideoThumbnail> removed = std::move(items_.front());
    items_.pop_front();
    if (forget_) forget_(removed.get());
  }
}

cVideoThumbnail* cVideoThumbnailList::At(size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}
