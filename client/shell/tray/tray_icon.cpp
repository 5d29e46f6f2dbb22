#include "client/shell/tray/tray_icon.h"

#include <cstring>
#include <memory>
#include <string>

#include "client/picture/bitmap.h"
#include "client/shell/tray/tray_resources.h"
#include "client/ui/menu.h"
#include "client/ui/toolkit.h"

namespace hv {

namespace {

// Copies text into the tip, cut so that it fits with its terminator and never ends inside
// a multi-byte character.
void CopyTip(const char* text, char (&tip)[kTrayTipSize]) {
  size_t length = strnlen(text, kTrayTipSize);
  if (length >= kTrayTipSize) {
    length = kTrayTipSize - 1;
    // Back off continuation bytes, then the lead byte of the character they belong to.
    const auto byte = [text](size_t i) { return static_cast<unsigned char>(text[i]); };
    if ((byte(length) & 0xC0) == 0x80) {
      while (length > 0 && (byte(length) & 0xC0) == 0x80) --length;
    }
  }
  std::memcpy(tip, text, length);
  tip[length] = '\0';
}

// The menu as a popup would show it, written down rather than opened.
class cTrayMenuRecorder : public cPopupMenu {
 public:
  void AppendItem(int32_t command, const char* text) override {
    cTrayMenuEntry entry;
    entry.command = command;
    entry.text = text != nullptr ? text : "";
    entries_.push_back(std::move(entry));
  }
  void AppendSeparator() override { entries_.emplace_back(); }
  void EnableItem(int32_t command, bool enable) override {
    if (cTrayMenuEntry* entry = Find(command)) entry->enabled = enable;
  }
  void CheckItem(int32_t command, bool checked) override {
    if (cTrayMenuEntry* entry = Find(command)) {
      entry->checkable = true;
      entry->checked = checked;
    }
  }
  int32_t ItemCount() const override { return static_cast<int32_t>(entries_.size()); }
  void SetDefaultItem(int32_t /*command*/) override {}
  int32_t Track(cPoint /*screen_point*/) override { return 0; }

  std::vector<cTrayMenuEntry>& Entries() { return entries_; }

 private:
  cTrayMenuEntry* Find(int32_t command) {
    for (cTrayMenuEntry& entry : entries_) {
      if (entry.command == command && command != 0) return &entry;
    }
    return nullptr;
  }
  std::vector<cTrayMenuEntry> entries_;
};

}  // namespace

CTrayIcon::CTrayIcon(cToolkit& toolkit, cTrayArea& tray, uint32_t id)
    : toolkit_(toolkit), tray_(tray) {
  data_.id = id;
  CopyTip(TrayString(id), data_.tip);
}

CTrayIcon::~CTrayIcon() {
  SetIcon(cTrayImage{0}, nullptr)
      .Ignore("nothing is left to ask the tray again once the icon is gone");
  for (const auto& [resource, image] : stored_icons_) tray_.DestroyImage(image);
  window_hook_.HookWindow(nullptr);
  parent_hook_.HookWindow(nullptr);
}

void CTrayIcon::SetNotifyWnd(cMessageWindow* window, uint32_t callback_message) {
  data_.window = window;
  data_.callback_message = callback_message;
  window_hook_.HookWindow(window);
  cMessageWindow* top = window != nullptr ? window->TopLevelParent() : nullptr;
  parent_hook_.HookWindow(top != window ? top : nullptr);
}

Status CTrayIcon::SetIcon(cTrayImage image, const char* tip) {
  data_.flags = 0;
  eTrayOperation operation = eTrayOperation::kDelete;
  if (image != 0) {
    operation = HasIcon() ? eTrayOperation::kModify : eTrayOperation::kAdd;
    data_.image = image;
    data_.flags |= kTrayFlagIcon;
    wanted_image_ = image;
  } else {
    wanted_image_ = 0;
    if (!HasIcon()) return Status::Ok();
  }
  if (tip != nullptr) CopyTip(tip, data_.tip);
  if (data_.tip[0] != '\0') data_.flags |= kTrayFlagTip;
  if (data_.callback_message != 0 && data_.window != nullptr) data_.flags |= kTrayFlagMessage;
  const bool done = tray_.NotifyIcon(operation, data_);
  if (operation == eTrayOperation::kDelete || (operation == eTrayOperation::kAdd && !done)) {
    data_.image = 0;
  }
  if (operation == eTrayOperation::kAdd && done) {
    menu_exported_ = false;
    RefreshMenu();
  }
  return done ? Status::Ok() : Status::Failure(Where::kUi, "the tray refused the icon");
}

Status CTrayIcon::SetIcon(uint32_t resource_id) {
  if (resource_id == 0) return SetIcon(cTrayImage{0}, nullptr);
  cTrayImage image = 0;
  for (const auto& [resource, stored] : stored_icons_) {
    if (resource == resource_id) image = stored;
  }
  if (image == 0) {
    cBitmap picture;
    image = LoadTrayImage(resource_id, &picture) ? tray_.CreateImage(picture) : cTrayImage{0};
    if (image == 0) {
      return Status::Failure(
          Where::kUi, "the tray icon's picture " + std::to_string(resource_id) + " cannot be made");
    }
    stored_icons_.emplace_back(resource_id, image);
  }
  CopyTip(TrayString(resource_id), data_.tip);
  return SetIcon(image, nullptr);
}

void CTrayIcon::RefreshMenu() {
  if (!HasIcon()) return;
  cTrayMenuRecorder menu;
  if (menu_extension_) menu_extension_(menu);
  for (const cTrayMenuItem& item : TrayMenu(data_.id)) menu.AppendItem(item.command, item.text);
  if (menu_exported_ && menu.Entries() == exported_menu_) return;
  menu_exported_ = tray_.SetIconMenu(data_, menu.Entries());
  exported_menu_ = std::move(menu.Entries());
}

bool CTrayIcon::OnTrayNotification(uint64_t id, int64_t mouse_event) {
  if (id != data_.id) return false;
  if (mouse_event != kMessageRightButtonUp && mouse_event != kMessageLeftButtonDoubleClick) {
    return false;
  }
  const std::vector<cTrayMenuItem> items = TrayMenu(data_.id);
  if (items.empty()) return false;
  if (mouse_event == kMessageRightButtonUp) {
    std::unique_ptr<cPopupMenu> menu = toolkit_.CreatePopupMenu();
    if (menu == nullptr) return false;
    if (menu_extension_) menu_extension_(*menu);
    for (const cTrayMenuItem& item : items) menu->AppendItem(item.command, item.text);
    menu->SetDefaultItem(items.front().command);
    const int32_t command = menu->Track(toolkit_.CursorPosition());
    if (command != 0 && data_.window != nullptr) {
      (void)data_.window->Send(kMessageCommand, static_cast<uint64_t>(command));
    }
  } else if (data_.window != nullptr) {
    (void)data_.window->Send(kMessageCommand, static_cast<uint64_t>(items.front().command));
  }
  return true;
}

void CTrayIcon::OnTaskbarCreated() {
  // A tray that restarted has forgotten the icon; one that was missing when the icon was
  // first added never had it. Either way the picture last asked for goes in again.
  const cTrayImage image = data_.image != 0 ? data_.image : wanted_image_;
  data_.image = 0;
  SetIcon(image, nullptr).Ignore("the picture stays wanted: the tray's next start gets it");
}

int64_t CTrayIcon::CTrayHook::WindowProc(uint32_t message, uint64_t wparam, int64_t lparam) {
  if (message == owner_.data_.callback_message && HookedWindow() == owner_.data_.window) {
    (void)owner_.OnTrayNotification(wparam, lparam);
  } else if (message == kTaskbarCreatedMessage) {
    owner_.OnTaskbarCreated();
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

}  // namespace hv
