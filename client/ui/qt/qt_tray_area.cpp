#include "client/ui/qt/qt_tray_area.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <cstring>

#include "client/picture/bitmap.h"
#include "client/ui/message_window.h"
#include "client/ui/qt/qt_button.h"
#include "client/ui/qt/text_codec.h"

namespace hv {

namespace {

// One callback of an icon, on its way through the event queue. It names the icon rather
// than pointing at it, so an icon removed meanwhile simply gets nothing.
class cTrayCallbackEvent : public QEvent {
 public:
  static QEvent::Type EventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  cTrayCallbackEvent(const cMessageWindow* window, uint32_t id, uint32_t mouse_event)
      : QEvent(EventType()), window_(window), id_(id), mouse_event_(mouse_event) {}
  const cMessageWindow* Window() const { return window_; }
  uint32_t Id() const { return id_; }
  uint32_t MouseEvent() const { return mouse_event_; }

 private:
  const cMessageWindow* window_;
  uint32_t id_;
  uint32_t mouse_event_;
};

uint32_t MouseEventOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Context: return kMessageRightButtonUp;
    case QSystemTrayIcon::DoubleClick: return kMessageLeftButtonDoubleClick;
    case QSystemTrayIcon::Trigger: return kMessageLeftButtonUp;
    case QSystemTrayIcon::MiddleClick: return kMessageMiddleButtonUp;
    default: return 0;
  }
}

}  // namespace

cQtTrayArea::cQtTrayArea() {
  relay_.installEventFilter(this);
  was_available_ = IsAvailable();
  QObject::connect(&watch_, &QTimer::timeout, this, [this] { CheckTray(); });
  watch_.start(kTrayWatchMs);
}

cQtTrayArea::~cQtTrayArea() {
  watch_.stop();
  icons_.clear();
}

bool cQtTrayArea::IsAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

cTrayImage cQtTrayArea::CreateImage(const cBitmap& picture) {
  if (picture.IsEmpty()) return 0;
  const QPixmap pixmap = QPixmap::fromImage(ImageFromBitmap(&picture));
  if (pixmap.isNull()) return 0;
  const cTrayImage image = next_image_++;
  images_[image] = QIcon(pixmap);
  return image;
}

void cQtTrayArea::DestroyImage(cTrayImage image) { images_.erase(image); }

bool cQtTrayArea::NotifyIcon(eTrayOperation operation, const cTrayIconRecord& record) {
  const cKey key{record.window, record.id};
  auto found = icons_.find(key);
  if (operation == eTrayOperation::kDelete) {
    if (found == icons_.end()) return false;
    icons_.erase(found);
    return true;
  }
  if (operation == eTrayOperation::kAdd) {
    // An icon shown without a tray would never be seen, and the window could not be
    // brought back with it.
    if (found != icons_.end() || !IsAvailable()) return false;
    cIcon made;
    made.icon = std::make_unique<QSystemTrayIcon>();
    made.window = record.window;
    QObject::connect(
        made.icon.get(), &QSystemTrayIcon::activated, this,
        [this, key](QSystemTrayIcon::ActivationReason reason) { Post(key, MouseEventOf(reason)); });
    found = icons_.emplace(key, std::move(made)).first;
  } else if (found == icons_.end()) {
    return false;
  }
  cIcon& icon = found->second;
  if ((record.flags & kTrayFlagMessage) != 0) icon.callback_message = record.callback_message;
  if ((record.flags & kTrayFlagIcon) != 0) {
    auto image = images_.find(record.image);
    if (image != images_.end()) icon.icon->setIcon(image->second);
  }
  if ((record.flags & kTrayFlagTip) != 0) {
    const std::string tip(record.tip, strnlen(record.tip, sizeof record.tip));
    icon.icon->setToolTip(DecodeText(tip.c_str()));
  }
  if (operation == eTrayOperation::kAdd) icon.icon->show();
  return true;
}

bool cQtTrayArea::ShowBalloon(const cTrayIconRecord& record, const cDesktopNotice& notice) {
  QSystemTrayIcon* icon = IconOf(record.window, record.id);
  if (icon == nullptr || !icon->isVisible() || !QSystemTrayIcon::supportsMessages()) return false;
  QSystemTrayIcon::MessageIcon kind = QSystemTrayIcon::Information;
  if (notice.icon == eNoticeIcon::kWarning) kind = QSystemTrayIcon::Warning;
  if (notice.icon == eNoticeIcon::kError) kind = QSystemTrayIcon::Critical;
  icon->showMessage(DecodeText(notice.title), DecodeText(notice.text), kind);
  return true;
}

QSystemTrayIcon* cQtTrayArea::IconOf(const cMessageWindow* window, uint32_t id) const {
  auto found = icons_.find(cKey{window, id});
  return found != icons_.end() ? found->second.icon.get() : nullptr;
}

void cQtTrayArea::Post(const cKey& key, uint32_t mouse_event) {
  if (mouse_event == 0) return;
  QCoreApplication::postEvent(&relay_, new cTrayCallbackEvent(key.first, key.second, mouse_event));
}

bool cQtTrayArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &relay_ || event->type() != cTrayCallbackEvent::EventType()) {
    return QObject::eventFilter(watched, event);
  }
  const auto* callback = static_cast<const cTrayCallbackEvent*>(event);
  auto found = icons_.find(cKey{callback->Window(), callback->Id()});
  if (found != icons_.end() && found->second.callback_message != 0 &&
      found->second.window != nullptr) {
    (void)found->second.window->Send(found->second.callback_message, callback->Id(),
                                     callback->MouseEvent());
  }
  return true;
}

void cQtTrayArea::CheckTray() {
  const bool available = IsAvailable();
  const bool appeared = available && !was_available_;
  was_available_ = available;
  if (!appeared) return;
  // The new tray knows none of the icons; the program puts its own back.
  icons_.clear();
  cMessageWindow::BroadcastToTopLevel(kTaskbarCreatedMessage);
}

}  // namespace hv
