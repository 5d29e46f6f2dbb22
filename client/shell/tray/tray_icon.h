// CTrayIcon: the program's icon in the desktop's tray. It hooks its notify window (and that
// window's top-level parent) to catch the icon's callback message and the tray's restart:
// a right click opens the icon's menu at the mouse, a double click sends the menu's first
// command to the notify window, and a restarted tray gets the icon back. Trays that show
// menus themselves get the menu instead (RefreshMenu), and report a click as a double click. The
// pictures it is given by resource id are made once and kept until the icon goes.
//
// The toolkit, the tray and the notify window must outlive it. Destroying it removes the
// icon from the tray, destroys the kept pictures and unhooks.
#ifndef HV_CLIENT_SHELL_TRAY_TRAY_ICON_H_
#define HV_CLIENT_SHELL_TRAY_TRAY_ICON_H_

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "client/ui/subclass_wnd.h"
#include "client/ui/tray_area.h"
#include "core/status.h"

namespace hv {

class cPopupMenu;
class cToolkit;

class CTrayIcon {
 public:
  // `id` names the icon, its menu and the string of its first tip.
  CTrayIcon(cToolkit& toolkit, cTrayArea& tray, uint32_t id);
  virtual ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Where the icon's callback message goes; hooks the window and its top-level parent.
  void SetNotifyWnd(cMessageWindow* window, uint32_t callback_message);
  // Shows `image` (adding the icon when none is shown), or with 0 removes the icon; a tip
  // (may be null: unchanged) is cut to the tray's size without splitting a character.
  // Ok when the tray took it (or there was nothing to remove), a failure when it refused.
  [[nodiscard]] Status SetIcon(cTrayImage image, const char* tip);
  // The picture and tip of a resource (0 removes the icon). A failure, and the tray
  // unchanged, when the picture cannot be had.
  [[nodiscard]] Status SetIcon(uint32_t resource_id);

  // Adds the caller's own items at the top of the icon's menu each time it opens (empty:
  // the menu is the resource's alone). Their commands go to the notify window like the
  // resource's.
  void SetMenuExtension(std::function<void(cPopupMenu& menu)> extension) {
    menu_extension_ = std::move(extension);
  }

  // On trays that show the icon's menu themselves, gives them the menu as it would open now
  // (the caller's items, then the resource's) when it differs from what they have: called
  // on every timer tick, it keeps favourites and their marks in step. Elsewhere nothing.
  void RefreshMenu();

  // An icon is in the tray.
  bool HasIcon() const { return data_.image != 0; }
  const cTrayIconRecord& NotifyData() const { return data_; }

  // A callback of the icon: a right button release opens the menu, a double click sends the
  // menu's first command. False for another icon or another event.
  virtual bool OnTrayNotification(uint64_t id, int64_t mouse_event);
  // The tray (re)started and knows no icons: the icon is added again.
  virtual void OnTaskbarCreated();

 private:
  class CTrayHook : public CSubclassWnd {
   public:
    explicit CTrayHook(CTrayIcon& owner) : owner_(owner) {}
    int64_t WindowProc(uint32_t message, uint64_t wparam, int64_t lparam) override;

   private:
    CTrayIcon& owner_;
  };

  cToolkit& toolkit_;
  cTrayArea& tray_;
  cTrayIconRecord data_;
  // The picture last asked for, kept when the tray refused it, so that a tray that starts
  // later still gets the icon.
  cTrayImage wanted_image_ = 0;
  std::function<void(cPopupMenu& menu)> menu_extension_;
  // What the tray was last given; cleared when the icon is added, since the tray then
  // knows no menu.
  std::vector<cTrayMenuEntry> exported_menu_;
  bool menu_exported_ = false;
  CTrayHook window_hook_{*this};
  CTrayHook parent_hook_{*this};
  // Resource id and the picture made from it.
  std::vector<std::pair<uint32_t, cTrayImage>> stored_icons_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TRAY_TRAY_ICON_H_
