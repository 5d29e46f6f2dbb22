#include "client/ui/qt/desktop/dbus_wake_events.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QVariant>

#include <utility>

namespace hv {

namespace {

constexpr const char* kLoginService = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";
constexpr const char* kNetworkService = "org.freedesktop.NetworkManager";
constexpr const char* kNetworkPath = "/org/freedesktop/NetworkManager";
constexpr const char* kNetworkManager = "org.freedesktop.NetworkManager";

}  // namespace

cDbusWakeEvents::cDbusWakeEvents() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  resume_ = bus.connect(kLoginService, kLoginPath, kLoginManager, "PrepareForSleep", this,
                        SLOT(OnPrepareForSleep(bool)));
  network_ = bus.connect(kNetworkService, kNetworkPath, kNetworkManager, "StateChanged", this,
                         SLOT(OnNetworkStateChanged(uint)));
  if (network_) {
    // Known from the start, so that the first change to "connected" is seen as one.
    QDBusInterface manager(kNetworkService, kNetworkPath, kNetworkManager, bus);
    const QVariant state = manager.isValid() ? manager.property("State") : QVariant();
    if (state.isValid()) network_state_ = state.toUInt();
  }
}

cDbusWakeEvents::~cDbusWakeEvents() = default;

void cDbusWakeEvents::SetHandler(Handler handler) { handler_ = std::move(handler); }

void cDbusWakeEvents::OnPrepareForSleep(bool sleeping) {
  // The signal comes twice: true before the sleep, false after the wake.
  if (!sleeping && handler_) handler_(eWakeReason::kResumed);
}

void cDbusWakeEvents::OnNetworkStateChanged(uint state) {
  const bool back = state == kNetworkConnectedGlobal && network_state_ != kNetworkConnectedGlobal;
  network_state_ = state;
  if (back && handler_) handler_(eWakeReason::kNetworkBack);
}

}  // namespace hv
