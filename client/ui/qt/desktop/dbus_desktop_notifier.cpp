#include "client/ui/qt/desktop/dbus_desktop_notifier.h"

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QStringList>
#include <QVariantMap>

#include "client/picture/bitmap.h"
#include "client/ui/qt/text_codec.h"

namespace hv {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";

// The "image-data" hint: width, height, row stride, alpha, bits per sample, channels, and
// the pixels as R, G, B, A bytes.
struct cNoticeImage {
  int width = 0;
  int height = 0;
  int row_stride = 0;
  bool has_alpha = true;
  int bits_per_sample = 8;
  int channels = 4;
  QByteArray data;
};

QDBusArgument& operator<<(QDBusArgument& argument, const cNoticeImage& image) {
  argument.beginStructure();
  argument << image.width << image.height << image.row_stride << image.has_alpha
           << image.bits_per_sample << image.channels << image.data;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, cNoticeImage& image) {
  argument.beginStructure();
  argument >> image.width >> image.height >> image.row_stride >> image.has_alpha >>
      image.bits_per_sample >> image.channels >> image.data;
  argument.endStructure();
  return argument;
}

}  // namespace

namespace {

cNoticeImage ImageOf(const cBitmap& picture) {
  cNoticeImage image;
  image.width = static_cast<int>(picture.Width());
  image.height = static_cast<int>(picture.Height());
  image.row_stride = image.width * 4;
  image.data.reserve(image.row_stride * image.height);
  for (uint32_t y = 0; y < picture.Height(); ++y) {
    for (uint32_t x = 0; x < picture.Width(); ++x) {
      const uint32_t pixel = picture.PixelAt(x, y);
      image.data.append(static_cast<char>(PixelRed(pixel)));
      image.data.append(static_cast<char>(PixelGreen(pixel)));
      image.data.append(static_cast<char>(PixelBlue(pixel)));
      image.data.append(static_cast<char>(PixelAlpha(pixel)));
    }
  }
  return image;
}

// The freedesktop urgency levels: 0 low, 1 normal, 2 critical.
uchar UrgencyOf(eNoticeIcon icon) { return icon == eNoticeIcon::kError ? 2 : 1; }

const char* IconNameOf(eNoticeIcon icon) {
  switch (icon) {
    case eNoticeIcon::kError: return "dialog-error";
    case eNoticeIcon::kWarning: return "dialog-warning";
    case eNoticeIcon::kInformation: break;
  }
  return "dialog-information";
}

}  // namespace

cDbusDesktopNotifier::cDbusDesktopNotifier(const char* application_icon)
    : application_icon_(application_icon) {
  qDBusRegisterMetaType<cNoticeImage>();
}

bool cDbusDesktopNotifier::ServiceAvailable() const {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return false;
  if (bus.interface()->isServiceRegistered(kService)) return true;
  const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
  return activatable.isValid() && activatable.value().contains(kService);
}

bool cDbusDesktopNotifier::Notify(const cDesktopNotice& notice) {
  if (!ServiceAvailable()) return false;
  QVariantMap hints;
  hints.insert("urgency", QVariant::fromValue(UrgencyOf(notice.icon)));
  if (notice.picture != nullptr && !notice.picture->IsEmpty()) {
    hints.insert("image-data", QVariant::fromValue(ImageOf(*notice.picture)));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  const QString icon = notice.picture != nullptr ? QString::fromLatin1(application_icon_)
                                                 : QString::fromLatin1(IconNameOf(notice.icon));
  call << QString("Hearthview") << uint(0) << icon << DecodeText(notice.title)
       << DecodeText(notice.text) << QStringList() << hints << int(-1);
  // Sent without waiting for the reply.
  return QDBusConnection::sessionBus().send(call);
}

}  // namespace hv

Q_DECLARE_METATYPE(cNoticeImage)
