#include "client/ui/qt/status_notifier_watch.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFileInfo>
#include <QVariant>
#include <utility>

namespace hv {

namespace {

const QString kWatcherName = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

bool SessionBusAtHand() {
  // Without a session bus to hand the bus library would start one for the X display
  // (autolaunch), which would outlive the program and could hold no watcher anyway.
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
         (!runtime.isEmpty() && QFileInfo::exists(QString::fromLocal8Bit(runtime + "/bus")));
}

bool SaysRegistered(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

}  // namespace

cStatusNotifierWatch::cStatusNotifierWatch(std::function<void()> changed)
    : changed_(std::move(changed)) {
  if (!SessionBusAtHand()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  bus_ = bus;
  service_watch_ =
      new QDBusServiceWatcher(kWatcherName, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
  QObject::connect(service_watch_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                   [this](const QString&, const QString&, const QString& new_owner) {
                     if (!new_owner.isEmpty()) {
                       Ask();
                       return;
                     }
                     ++question_;
                     Set(false);
                   });
  // Hosts come and go while the watcher stays (the panel restarts, the extension is
  // switched off); KDE's watcher says so with these two signals.
  for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
    bus.connect(kWatcherName, kWatcherPath, kWatcherName, QString::fromLatin1(signal), this,
                SLOT(OnHostsChanged()));
  }
  host_registered_ = SaysRegistered(bus.call(HostQuestion(), QDBus::Block, kFirstAnswerMs));
}

cStatusNotifierWatch::~cStatusNotifierWatch() = default;

QDBusMessage cStatusNotifierWatch::HostQuestion() const {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcherName, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcherName << QStringLiteral("IsStatusNotifierHostRegistered");
  // A desktop without a watcher is simply one without this kind of tray: never start one.
  get.setAutoStartService(false);
  return get;
}

void cStatusNotifierWatch::OnHostsChanged() { Ask(); }

void cStatusNotifierWatch::Ask() {
  if (!bus_.has_value()) return;
  const uint64_t question = ++question_;
  auto* pending = new QDBusPendingCallWatcher(bus_->asyncCall(HostQuestion(), kAnswerMs), this);
  QObject::connect(pending, &QDBusPendingCallWatcher::finished, this,
                   [this, question](QDBusPendingCallWatcher* call) {
                     call->deleteLater();
                     if (question != question_) return;
                     Set(SaysRegistered(call->reply()));
                   });
}

void cStatusNotifierWatch::Set(bool registered) {
  if (registered == host_registered_) return;
  host_registered_ = registered;
  if (changed_) changed_();
}

}  // namespace hv
