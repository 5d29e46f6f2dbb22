// cXembedTrayWatch: whether an XEmbed tray (the freedesktop system tray of X11 panels, and
// Debian's trayer) is there: a window owns the selection _NET_SYSTEM_TRAY_S<screen>. A tray
// that starts says so with a MANAGER client message on the root window, naming its window;
// one that ends destroys that window. Both arrive as ordinary X events through the
// toolkit's event loop, so nothing is asked again and again. Outside X11 (Wayland) there is
// never such a tray.
#ifndef HV_CLIENT_UI_QT_XEMBED_TRAY_WATCH_H_
#define HV_CLIENT_UI_QT_XEMBED_TRAY_WATCH_H_

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace hv {

class cXembedTrayWatch : public QAbstractNativeEventFilter {
 public:
  // `changed` runs from the event loop whenever the tray's window has changed: a tray came,
  // went, or another took its place. A QGuiApplication must exist before the watch is made
  // and outlive it.
  explicit cXembedTrayWatch(std::function<void()> changed);
  ~cXembedTrayWatch() override;
  cXembedTrayWatch(const cXembedTrayWatch&) = delete;
  cXembedTrayWatch& operator=(const cXembedTrayWatch&) = delete;

  // The tray's window (0: none); a new one is a new tray, which knows no icons.
  uint32_t TrayWindow() const { return owner_; }

  bool nativeEventFilter(const QByteArray& event_type, void* message, qintptr* result) override;

 private:
  // The tray's window is `owner` now (0: none): its end is watched for.
  void Follow(uint32_t owner);

  std::function<void()> changed_;
  xcb_connection_t* connection_ = nullptr;
  uint32_t root_ = 0;
  uint32_t selection_ = 0;  // the atom _NET_SYSTEM_TRAY_S<screen>
  uint32_t manager_ = 0;    // the atom MANAGER
  uint32_t owner_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_XEMBED_TRAY_WATCH_H_
