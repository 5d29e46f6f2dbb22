// cDbusDesktopNotifier: notices through the desktop's notification service
// (org.freedesktop.Notifications on the session bus), with the entry's picture as the
// notice's image. The call does not wait for the service: a slow or hung notification
// daemon must never freeze the window. Notify answers false when no such service runs or
// can be started, so the caller can use the tray's balloon instead.
//
// Lives on the Qt thread; a QCoreApplication must exist before it is made and outlive it.
#ifndef HV_CLIENT_UI_QT_DESKTOP_DBUS_DESKTOP_NOTIFIER_H_
#define HV_CLIENT_UI_QT_DESKTOP_DBUS_DESKTOP_NOTIFIER_H_

#include "client/ui/desktop_notifier.h"

namespace hv {

class cDbusDesktopNotifier : public cDesktopNotifier {
 public:
  // `application_icon`: the desktop's icon name of the program.
  explicit cDbusDesktopNotifier(const char* application_icon = "hearthview");

  bool Notify(const cDesktopNotice& notice) override;
  // The service is on the bus now, or the bus can start it.
  bool ServiceAvailable() const;

 private:
  const char* application_icon_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_DESKTOP_DBUS_DESKTOP_NOTIFIER_H_
