#include "client/ui/qt/status_notifier_host.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QFileInfo>
#include <QVariant>

namespace hv {

bool StatusNotifierHostRegistered() {
  // Without a session bus to hand the bus library would start one for the X display
  // (autolaunch), which would outlive the program and could hold no watcher anyway.
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
      (runtime.isEmpty() || !QFileInfo::exists(QString::fromLocal8Bit(runtime + "/bus")))) {
    return false;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return false;
  const QString watcher_name = QStringLiteral("org.kde.StatusNotifierWatcher");
  if (!bus.interface()->isServiceRegistered(watcher_name).value()) return false;
  // The property as Qt reads it when it chooses where tray icons go, so both agree.
  QDBusInterface watcher(watcher_name, QStringLiteral("/StatusNotifierWatcher"), watcher_name, bus);
  return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

}  // namespace hv
