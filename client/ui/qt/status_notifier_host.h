// Whether the desktop's tray is a StatusNotifierItem host: a watcher on the session bus
// that says a host is registered. Qt then puts tray icons there rather than in an XEmbed
// tray, and such hosts show the icon's exported menu themselves and report a click as
// Activate.
#ifndef HV_CLIENT_UI_QT_STATUS_NOTIFIER_HOST_H_
#define HV_CLIENT_UI_QT_STATUS_NOTIFIER_HOST_H_

namespace hv {

// Asks the session bus now (a blocking call); false without a session bus or a watcher.
bool StatusNotifierHostRegistered();

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_STATUS_NOTIFIER_HOST_H_
