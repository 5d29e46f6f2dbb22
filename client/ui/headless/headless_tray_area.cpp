#include "client/ui/headless/headless_tray_area.h"

#include <cstring>

#include "client/ui/message_window.h"

namespace hv {

cTrayImage cHeadlessTrayArea::CreateImage(const cBitmap& picture) {
  if (fail_images_ || picture.IsEmpty()) return 0;
  return KeepImage(picture);
}

bool cHeadlessTrayArea::NotifyIcon(eTrayOperation operation, const cTrayIconRecord& record) {
  const cKey key{record.window, record.id};
  auto found = icons_.find(key);
  switch (operation) {
    case eTrayOperation::kAdd:
      if (!available_ || found != icons_.end()) return false;
      found = icons_.emplace(key, cIcon{record.window, record.id, 0, 0, "", {}, 0}).first;
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

bool cHeadlessTrayArea::SetIconMenu(const cTrayIconRecord& record,
                                    const std::vector<cTrayMenuEntry>& entries) {
  auto found = icons_.find(cKey{record.window, record.id});
  if (!shows_menus_ || found == icons_.end()) return false;
  found->second.menu = entries;
  ++found->second.menu_exports;
  return true;
}

bool cHeadlessTrayArea::ChooseMenuEntry(uint32_t id, int32_t command) {
  const cIcon* icon = Icon(id);
  if (icon == nullptr || icon->window == nullptr) return false;
  for (const cTrayMenuEntry& entry : icon->menu) {
    if (entry.command == command && command != 0 && entry.enabled) {
      (void)icon->window->Send(kMessageCommand, static_cast<uint64_t>(command));
      return true;
    }
  }
  return false;
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
