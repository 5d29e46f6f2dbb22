// cDesktopNotifier: a short notice on the desktop (a popup that goes by itself), for events
// that deserve the user's attention while the window is hidden. The program sends them to
// the desktop's notification service; tests use cHeadlessDesktopNotifier and read what was
// sent. A desktop without a notification service says so, and the caller can fall back to
// the tray icon's balloon.
#ifndef HV_CLIENT_UI_DESKTOP_NOTIFIER_H_
#define HV_CLIENT_UI_DESKTOP_NOTIFIER_H_

#include "core/string/sw_string.h"

namespace hv {

class cBitmap;

// How urgent a notice is, which also picks the desktop's own icon where there is no picture.
enum class eNoticeIcon { kInformation, kWarning, kError };

struct cDesktopNotice {
  swString title;
  swString text;
  eNoticeIcon icon = eNoticeIcon::kInformation;
  // The picture of what the notice is about (the activity log's icon of the entry), or null;
  // only read during Notify.
  const cBitmap* picture = nullptr;
};

class cDesktopNotifier {
 public:
  virtual ~cDesktopNotifier() = default;
  // Hands the notice to the desktop. False when the desktop has no notification service
  // (nothing was shown); the desktop showing it later is not waited for.
  [[nodiscard]] virtual bool Notify(const cDesktopNotice& notice) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_DESKTOP_NOTIFIER_H_
