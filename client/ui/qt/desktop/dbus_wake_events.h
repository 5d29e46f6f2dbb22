// cDbusWakeEvents: the computer's wakes as the desktop announces them on the system bus:
// the session manager's PrepareForSleep(false) after a resume, and the network manager's
// state reaching "connected" again. Either service may be missing (a container, a machine
// without a network manager): then that kind of wake is simply never reported.
//
// Lives on the Qt thread; a QCoreApplication must exist before it is made and outlive it.
#ifndef HV_CLIENT_UI_QT_DESKTOP_DBUS_WAKE_EVENTS_H_
#define HV_CLIENT_UI_QT_DESKTOP_DBUS_WAKE_EVENTS_H_

#include <QObject>

#include <cstdint>

#include "client/platform/wake_events.h"

namespace hv {

class cDbusWakeEvents : public QObject, public cWakeEvents {
  Q_OBJECT

 public:
  cDbusWakeEvents();
  ~cDbusWakeEvents() override;
  cDbusWakeEvents(const cDbusWakeEvents&) = delete;
  cDbusWakeEvents& operator=(const cDbusWakeEvents&) = delete;

  void SetHandler(Handler handler) override;
  // Whether the resume signal of the system bus could be listened to.
  bool ListensForResume() const { return resume_; }

  // The network manager's "connected to the internet" state.
  static constexpr uint32_t kNetworkConnectedGlobal = 70;

 private slots:
  void OnPrepareForSleep(bool sleeping);
  void OnNetworkStateChanged(uint state);

 private:
  Handler handler_;
  bool resume_ = false;
  bool network_ = false;
  uint32_t network_state_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_DESKTOP_DBUS_WAKE_EVENTS_H_
