#include "client/views/tab_child_dlg_list.h"

#include <algorithm>

#include "client/platform/event_loop.h"

namespace hv {

cTabChildDlgList::~cTabChildDlgList() {
  // The list goes at the end of its window, never from inside a wait: what is left goes now.
  retirement_ = nullptr;
  DeleteAll();
  views_.clear();
  doomed_.clear();
}

void cTabChildDlgList::SetRetirement(cEventLoop* loop) {
  retirement_ = loop;
  if (loop != nullptr) return;
  release_scheduled_ = false;  // the loop's release finds nothing left
  ReleaseDoomed();
}

cTabChildDlg* cTabChildDlgList::Add(std::unique_ptr<cTabChildDlg> view) {
  if (view == nullptr) return nullptr;
  views_.push_back(std::move(view));
  return views_.back().get();
}

bool cTabChildDlgList::Delete(cTabChildDlg* view) {
  for (auto& slot : views_) {
    if (slot == nullptr || slot.get() != view) continue;
    view->Retire();
    if (retirement_ != nullptr) {
      view->ShowChild(false);
      doomed_.push_back(std::move(slot));
      if (!release_scheduled_) {
        release_scheduled_ = true;
        retirement_->Retire([this, alive = lifetime_.Watch()] {
          if (!alive.Alive()) return;
          release_scheduled_ = false;
          ReleaseDoomed();
        });
      }
      if (walking_ == 0) Compact();
    } else if (walking_ > 0) {
      doomed_.push_back(std::move(slot));  // still on a caller's stack; destroyed later
    } else {
      std::unique_ptr<cTabChildDlg> gone = std::move(slot);
      Compact();
    }
    return true;
  }
  return false;
}

int32_t cTabChildDlgList::DeleteNamed(const char* name) {
  int32_t deleted = 0;
  while (cTabChildDlg* view = Find(name, 0)) {
    Delete(view);
    ++deleted;
  }
  return deleted;
}

void cTabChildDlgList::DeleteAll() {
  while (!views_.empty()) {
    cTabChildDlg* view = nullptr;
    for (auto& slot : views_) {
      if (slot != nullptr) {
        view = slot.get();
        break;
      }
    }
    if (view == nullptr) break;
    Delete(view);
  }
  if (walking_ == 0) Compact();
}

cTabChildDlg* cTabChildDlgList::Find(const char* name, int32_t placement) const {
  for (const auto& slot : views_) {
    if (slot == nullptr) continue;
    if (placement != 0 && slot->Placement() != placement) continue;
    if (slot->Name() == (name != nullptr ? name : "")) return slot.get();
  }
  return nullptr;
}

bool cTabChildDlgList::Contains(const cTabChildDlg* view) const {
  return std::any_of(views_.begin(), views_.end(),
                     [view](const auto& slot) { return slot != nullptr && slot.get() == view; });
}

int32_t cTabChildDlgList::Count() const {
  return static_cast<int32_t>(std::count_if(views_.begin(), views_.end(),
                                            [](const auto& slot) { return slot != nullptr; }));
}

void cTabChildDlgList::ForEach(const std::function<void(cTabChildDlg&)>& fn) {
  ++walking_;
  const size_t count = views_.size();
  for (size_t i = 0; i < count && i < views_.size(); ++i) {
    if (views_[i] != nullptr) fn(*views_[i]);
  }
  if (--walking_ == 0) Compact();
}

void cTabChildDlgList::Compact() {
  views_.erase(std::remove(views_.begin(), views_.end(), nullptr), views_.end());
  // Retired views wait for the loop; the others were only kept for the walk.
  if (release_scheduled_) return;
  doomed_.clear();
}

void cTabChildDlgList::ReleaseDoomed() {
  if (walking_ > 0) return;  // the walk's end compacts
  // A view's destructor may delete others (a video view lets its borrowers go): move the
  // list out first.
  std::vector<std::unique_ptr<cTabChildDlg>> gone;
  gone.swap(doomed_);
  gone.clear();
}

}  // namespace hv
