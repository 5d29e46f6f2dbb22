// cTrayArea: the desktop's notification area (tray), where a program keeps a small icon with
// a tip. What the user does with an icon arrives at the icon's message window as its
// callback message (wparam: the icon id, lparam: the mouse event, kMessageLeftButtonUp and
// the like). When the tray (re)starts, every top-level message window gets the message
// kTaskbarCreatedMessage, since a restarted tray has forgotten every icon.
// The program realises it with the toolkit's tray icon; tests use the in-memory one.
#ifndef HV_CLIENT_UI_TRAY_AREA_H_
#define HV_CLIENT_UI_TRAY_AREA_H_

#include <cstdint>

#include "client/ui/desktop_notifier.h"

namespace hv {

class cBitmap;
class cMessageWindow;

// The message of the tray's (re)start; a number of its own, above those programs use.
constexpr uint32_t kTaskbarCreatedMessage = 0xC0F1;

// An icon picture made by the tray area; 0 is none.
using cTrayImage = uint32_t;

enum class eTrayOperation { kAdd, kModify, kDelete };

// Which fields of a cTrayIconRecord an add or modify uses.
enum : uint32_t {
  kTrayFlagMessage = 1u << 0,
  kTrayFlagIcon = 1u << 1,
  kTrayFlagTip = 1u << 2,
};

// The tip holds at most this many bytes, its terminating zero included.
constexpr uint32_t kTrayTipSize = 64;

// One icon, named by its message window and id.
struct cTrayIconRecord {
  cMessageWindow* window = nullptr;
  uint32_t id = 0;
  uint32_t flags = 0;
  uint32_t callback_message = 0;
  cTrayImage image = 0;
  char tip[kTrayTipSize] = {};
};

class cTrayArea {
 public:
  virtual ~cTrayArea() = default;

  // The desktop has a tray now. Many do not (a bare window manager, some desktops without
  // an extension), and an icon added then is never seen.
  virtual bool IsAvailable() const = 0;

  // A picture for icons; 0 when it cannot be made. Destroy it when no icon uses it.
  virtual cTrayImage CreateImage(const cBitmap& picture) = 0;
  virtual void DestroyImage(cTrayImage image) = 0;

  // Adds, changes or removes the icon of (record.window, record.id). Add fails when there
  // is no tray or the icon is there already; modify and delete when it is not there.
  [[nodiscard]] virtual bool NotifyIcon(eTrayOperation operation,
                                        const cTrayIconRecord& record) = 0;

  // A balloon message from the icon of (record.window, record.id): where notices go on a
  // desktop without a notification service. False when the icon is not there or the tray
  // cannot show one.
  [[nodiscard]] virtual bool ShowBalloon(const cTrayIconRecord& /*record*/,
                                         const cDesktopNotice& /*notice*/) {
    return false;
  }
};

}  // namespace hv

#endif  // HV_CLIENT_UI_TRAY_AREA_H_
