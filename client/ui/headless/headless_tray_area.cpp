#include "client/ui/headless/headless_tray_area.h"

#include <cstring>

#include "client/ui/message_window.h"

namespace hv {

cTrayImage cHeadlessTrayArea::CreateImage(const cBitmap& picture) {
  if (fail_images_ || picture.IsEmpty()) return 0;
  const cTrayImage image = next_image_++;
  images_[image] = picture;
  return image;
}

void cHeadlessTrayArea::DestroyImage(cTrayImage image) { images_.erase(image); }

bool cHeadlessTrayArea::NotifyIcon(eTrayOperation operation, const cTrayIconRecord& record) {
  const cKey key{record.window, record.id};
  auto found = icons_.find(key);
  switch (operation) {
    case eTrayOperation::kAdd:
      if (!available_ || found != icons_.end()) return false;
      found = icons_.emplace(key, cIcon{record.window, record.id, 0, 0, ""}).first;
      break;
    case eTrayOperation::kModify:
      if (found == icons_.end()) return false;
      break;
    case eTrayOperation::kDelete:
      if (found == icons_.end()) return false;
      icons_.erase(found);
      ++changes_;
      return true;
  }
  cIcon& icon = found->second;
  if ((record.flags & kTrayFlagMessage) != 0) icon.callback_message = record.callback_message;
  if ((record.flags & kTrayFlagIcon) != 0) icon.image = record.image;
  if ((record.flags & kTrayFlagTip) != 0) {
    icon.tip.assign(record.tip, strnlen(record.tip, sizeof record.tip));
  }
  ++changes_;
  return true;
}

const cHeadlessTrayArea::cIcon* cHeadlessTrayArea::Icon(uint32_t id) const {
  for (const auto& [key, icon] : icons_) {
    if (icon.id == id) return &icon;
  }
  return nullptr;
}

const cBitmap* cHeadlessTrayArea::Image(cTrayImage image) const {
  auto found = images_.find(image);
  return found != images_.end() ? &found->second : nullptr;
}

bool cHeadlessTrayArea::UserEvent(uint32_t id, uint32_t mouse_event) {
  const cIcon* icon = Icon(id);
  if (icon == nullptr || icon->callback_message == 0 || icon->window == nullptr) return false;
  (void)icon->window->Send(icon->callback_message, id, mouse_event);
  return true;
}

void cHeadlessTrayArea::SetAvailable(bool available) {
  if (available == available_) return;
  available_ = available;
  if (!available_) {
    icons_.clear();
  } else {
    cMessageWindow::BroadcastToTopLevel(kTaskbarCreatedMessage);
  }
}

void cHeadlessTrayArea::Restart() {
  SetAvailable(false);
  SetAvailable(true);
}

}  // namespace hv
