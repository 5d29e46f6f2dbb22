// The desktop's services over a real bus: a notification service and a session manager
// played by this test on a private bus (the test script starts one and makes it the system
// bus too), so that what the program sends and hears is what a desktop would see.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/qt/desktop/dbus_desktop_notifier.h"
#include "client/ui/qt/desktop/dbus_wake_events.h"

namespace hv {

// What a notification daemon is sent.
class cFakeNotificationService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct cCall {
    QString application, icon, summary, body;
    QVariantMap hints;
  };
  std::vector<cCall> calls;

 public slots:
  uint Notify(const QString& application, uint /*replaces*/, const QString& icon,
              const QString& summary, const QString& body, const QStringList& /*actions*/,
              const QVariantMap& hints, int /*timeout*/) {
    calls.push_back(cCall{application, icon, summary, body, hints});
    return static_cast<uint>(calls.size());
  }
};

namespace {

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

bool BusThere() {
  if (QDBusConnection::sessionBus().isConnected()) return true;
  EXPECT_EQ(std::getenv("HV_REQUIRE_BUS"), nullptr) << "the test bus did not start";
  return false;
}

TEST(DesktopServicesTest, ANoticeReachesTheNotificationServiceWithItsPicture) {
  if (!BusThere()) GTEST_SKIP() << "no session bus";
  cDbusDesktopNotifier notifier;
  cDesktopNotice notice;
  notice.title = "Error: Connection terminated";
  notice.text = "Caf\xe9 server gone";  // Windows-1252, as the server sends it
  notice.icon = eNoticeIcon::kError;
  // Without a service the caller is told, so it can use the tray instead.
  EXPECT_FALSE(notifier.Notify(notice));

  QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "daemon");
  cFakeNotificationService daemon;
  ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &daemon,
                                     QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));

  cBitmap picture;
  ASSERT_EQ(picture.Allocate(20, 16, ArgbPixel(0xFF, 0x10, 0x20, 0x30)).code(), 0);
  notice.picture = &picture;
  ASSERT_TRUE(notifier.Notify(notice));
  ASSERT_TRUE(WaitFor([&] { return !daemon.calls.empty(); }));
  const cFakeNotificationService::cCall& call = daemon.calls[0];
  EXPECT_EQ(call.application, "Hearthview");
  EXPECT_EQ(call.summary, "Error: Connection terminated");
  EXPECT_EQ(call.body, QString::fromUtf8("Caf\xc3\xa9 server gone"));
  EXPECT_EQ(call.hints.value("urgency").toInt(), 2);
  ASSERT_TRUE(call.hints.contains("image-data"));
  // Read back as the daemon would: width, height, stride, alpha, bits, channels, bytes.
  const QDBusArgument image = call.hints.value("image-data").value<QDBusArgument>();
  int width = 0, height = 0, stride = 0, bits = 0, channels = 0;
  bool alpha = false;
  QByteArray bytes;
  image.beginStructure();
  image >> width >> height >> stride >> alpha >> bits >> channels >> bytes;
  image.endStructure();
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 16);
  EXPECT_EQ(stride, 80);
  EXPECT_EQ(channels, 4);
  ASSERT_EQ(bytes.size(), 20 * 16 * 4);
  EXPECT_EQ(static_cast<uchar>(bytes[0]), 0x10);  // R, G, B, A
  EXPECT_EQ(static_cast<uchar>(bytes[2]), 0x30);
  EXPECT_EQ(static_cast<uchar>(bytes[3]), 0xFF);

  service.unregisterService("org.freedesktop.Notifications");
  QDBusConnection::disconnectFromBus("daemon");
}

TEST(DesktopServicesTest, TheSessionManagersWakeIsHeardAndItsSleepIsNot) {
  if (!QDBusConnection::systemBus().isConnected()) {
    EXPECT_EQ(std::getenv("HV_REQUIRE_BUS"), nullptr) << "the test bus did not start";
    GTEST_SKIP() << "no system bus";
  }
  QDBusConnection manager = QDBusConnection::connectToBus(QDBusConnection::SystemBus, "logind");
  ASSERT_TRUE(manager.registerService("org.freedesktop.login1"));
  cDbusWakeEvents events;
  ASSERT_TRUE(events.ListensForResume());
  std::vector<eWakeReason> woke;
  events.SetHandler([&](eWakeReason reason) { woke.push_back(reason); });

  for (bool sleeping : {true, false}) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    signal << sleeping;
    ASSERT_TRUE(manager.send(signal));
  }
  ASSERT_TRUE(WaitFor([&] { return !woke.empty(); }));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(woke, std::vector<eWakeReason>{eWakeReason::kResumed});

  manager.unregisterService("org.freedesktop.login1");
  QDBusConnection::disconnectFromBus("logind");
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  // The services are on the bus; no window is needed.
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "desktop_services_test.moc"
