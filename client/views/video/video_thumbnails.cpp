#include "client/views/video/video_thumbnails.h"

#include <algorithm>
#include <utility>

namespace hv {

cVideoThumbnailList::~cVideoThumbnailList() { Clear(); }

void cVideoThumbnailList::AddWatcher(cVideoThumbnailWatcher* watcher) {
  if (watcher != nullptr &&
      std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end()) {
    watchers_.push_back(watcher);
  }
}

void cVideoThumbnailList::RemoveWatcher(cVideoThumbnailWatcher* watcher) {
  watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

void cVideoThumbnailList::Forget(const cVideoThumbnail* thumbnail) {
  // A watcher may remove itself while it is told; walk a copy.
  const std::vector<cVideoThumbnailWatcher*> watchers = watchers_;
  for (cVideoThumbnailWatcher* watcher : watchers) watcher->ForgetThumbnail(thumbnail);
}

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
  Forget(removed.get());
  return true;
}

void cVideoThumbnailList::Clear() {
  while (!items_.empty()) {
    std::unique_ptr<cVideoThumbnail> removed = std::move(items_.front());
    items_.pop_front();
    Forget(removed.get());
  }
}

cVideoThumbnail* cVideoThumbnailList::At(size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}

cVideoThumbnail* cVideoThumbnailList::FindByPicturePath(const swString& picture_path) const {
  for (const auto& item : items_) {
    if (item->picture_path == picture_path) return item.get();
  }
  return nullptr;
}

void cVideoThumbnailList::DropOldest(const swString& source_name, const cVideoThumbnail* keep) {
  // When the kept record holds picture 0, that picture is its own and no other record
  // loses anything; any other record still claiming 0 is left for a later drop.
  const bool keep_is_oldest =
      keep != nullptr && keep->source_name == source_name && keep->image_index == 0;
  const cVideoThumbnail* oldest = nullptr;
  for (const auto& item : items_) {
    if (item->source_name != source_name) continue;
    if (item->image_index == 0) {
      if (!keep_is_oldest && oldest == nullptr && item.get() != keep) oldest = item.get();
    } else if (item->image_index > 0) {
      --item->image_index;
    }
  }
  if (oldest != nullptr) Remove(oldest);
}

}  // namespace hv
