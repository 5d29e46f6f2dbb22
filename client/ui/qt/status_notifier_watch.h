// cStatusNotifierWatch: whether the desktop's tray is a StatusNotifierItem host (KDE Plasma,
// GNOME's AppIndicator extension, the Wayland panels): a watcher on the session bus that says
// a host is registered. Qt then puts tray icons there rather than in an XEmbed tray, and such
// hosts show the icon's exported menu themselves and report a click as Activate.
//
// It follows the watcher without polling: the bus announces the watcher's coming and going
// (NameOwnerChanged), the watcher announces hosts registering and leaving, and only then is
// its IsStatusNotifierHostRegistered property read, without waiting for the answer. A panel
// that hangs therefore never holds up the window. The first look, when the watch is made,
// waits at most kFirstAnswerMs, so that the program starts knowing whether it has a tray.
#ifndef HV_CLIENT_UI_QT_STATUS_NOTIFIER_WATCH_H_
#define HV_CLIENT_UI_QT_STATUS_NOTIFIER_WATCH_H_

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

class QDBusServiceWatcher;

namespace hv {

class cStatusNotifierWatch : public QObject {
  Q_OBJECT

 public:
  // The longest the first look waits for the watcher's answer, and any later one before it
  // counts as "no host".
  static constexpr int kFirstAnswerMs = 1000;
  static constexpr int kAnswerMs = 5000;

  // `changed` runs from the event loop whenever HostRegistered() has changed.
  explicit cStatusNotifierWatch(std::function<void()> changed);
  ~cStatusNotifierWatch() override;
  cStatusNotifierWatch(const cStatusNotifierWatch&) = delete;
  cStatusNotifierWatch& operator=(const cStatusNotifierWatch&) = delete;

  bool HostRegistered() const { return host_registered_; }

 private slots:
  // The watcher says a host registered or left: read its property again.
  void OnHostsChanged();

 private:
  QDBusMessage HostQuestion() const;
  void Ask();
  void Set(bool registered);

  std::function<void()> changed_;
  std::optional<QDBusConnection> bus_;
  QDBusServiceWatcher* service_watch_ = nullptr;  // a child of this object
  bool host_registered_ = false;
  // The latest question; answers to older ones arrive too late to count.
  uint64_t question_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_STATUS_NOTIFIER_WATCH_H_
