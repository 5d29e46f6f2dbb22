#include "client/ui/qt/qt_tray_area.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <cstring>

#include "client/picture/bitmap.h"
#include "client/ui/message_window.h"
#include "client/ui/qt/double_size_icon.h"
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
  // command 0: a mouse event for the icon's callback message; otherwise an entry of its
  // exported menu, for the window as a menu command.
  cTrayCallbackEvent(const cMessageWindow* window, uint32_t id, uint32_t mouse_event,
                     int32_t command)
      : QEvent(EventType()),
        window_(window),
        id_(id),
        mouse_event_(mouse_event),
        command_(command) {}
  const cMessageWindow* Window() const { return window_; }
  uint32_t Id() const { return id_; }
  uint32_t MouseEvent() const { return mouse_event_; }
  int32_t Command() const { return command_; }

 private:
  const cMessageWindow* window_;
  uint32_t id_;
  uint32_t mouse_event_;
  int32_t command_;
};

uint32_t MouseEventOf(QSystemTrayIcon::ActivationReason reason, bool shows_menus) {
  switch (reason) {
    case QSystemTrayIcon::Context: return kMessageRightButtonUp;
    case QSystemTrayIcon::DoubleClick: return kMessageLeftButtonDoubleClick;
    // A host that shows menus itself reports every click as this, never a double click.
    case QSystemTrayIcon::Trigger:
      return shows_menus ? kMessageLeftButtonDoubleClick : kMessageLeftButtonUp;
    case QSystemTrayIcon::MiddleClick: return kMessageMiddleButtonUp;
    default: return 0;
  }
}

}  // namespace

cQtTrayArea::cQtTrayArea() : tray_(TrayNow()) { relay_.installEventFilter(this); }

cQtTrayArea::~cQtTrayArea() { icons_.clear(); }

cQtTrayArea::cTray cQtTrayArea::TrayNow() const {
  cTray tray;
  tray.status_notifier = status_notifier_.HostRegistered();
  // Only where Qt shows icons in an XEmbed tray: a StatusNotifierItem host takes them first.
  if (!tray.status_notifier) tray.xembed_window = xembed_.TrayWindow();
  return tray;
}

bool cQtTrayArea::IsAvailable() const { return tray_.IsThere(); }

cTrayImage cQtTrayArea::CreateImage(const cBitmap& picture) {
  if (picture.IsEmpty()) return 0;
  // Trays of screens scaled to 200 % ask for the 32 x 32 picture.
  const QIcon icon = hv::IconAtOneAndTwoTimes(ImageFromBitmap(&picture));
  if (icon.isNull()) return 0;
  return KeepImage(icon);
}

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
    const bool shows_menus = tray_.status_notifier;
    cIcon made;
    made.icon = std::make_unique<QSystemTrayIcon>();
    made.window = record.window;
    made.shows_menus = shows_menus;
    QObject::connect(made.icon.get(), &QSystemTrayIcon::activated, this,
                     [this, key, shows_menus](QSystemTrayIcon::ActivationReason reason) {
                       Post(key, MouseEventOf(reason, shows_menus), 0);
                     });
    found = icons_.emplace(key, std::move(made)).first;
  } else if (found == icons_.end()) {
    return false;
  }
  cIcon& icon = found->second;
  if ((record.flags & kTrayFlagMessage) != 0) icon.callback_message = record.callback_message;
  if ((record.flags & kTrayFlagIcon) != 0) {
    if (const QIcon* image = FindImage(record.image)) icon.icon->setIcon(*image);
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

bool cQtTrayArea::SetIconMenu(const cTrayIconRecord& record,
                              const std::vector<cTrayMenuEntry>& entries) {
  auto found = icons_.find(cKey{record.window, record.id});
  if (found == icons_.end() || !found->second.shows_menus) return false;
  cIcon& icon = found->second;
  const bool first = icon.menu == nullptr;
  if (first) icon.menu = std::make_unique<QMenu>();
  // The same menu object throughout: the host is told of changed entries rather than
  // handed a new menu.
  icon.menu->clear();
  const cKey key = found->first;
  for (const cTrayMenuEntry& entry : entries) {
    if (entry.command == 0) {
      icon.menu->addSeparator();
      continue;
    }
    QAction* action = icon.menu->addAction(DecodeText(entry.text.c_str()));
    action->setEnabled(entry.enabled);
    action->setCheckable(entry.checkable);
    action->setChecked(entry.checked);
    const int32_t command = entry.command;
    QObject::connect(action, &QAction::triggered, this,
                     [this, key, command] { Post(key, 0, command); });
  }
  if (first) icon.icon->setContextMenu(icon.menu.get());
  return true;
}

QSystemTrayIcon* cQtTrayArea::IconOf(const cMessageWindow* window, uint32_t id) const {
  auto found = icons_.find(cKey{window, id});
  return found != icons_.end() ? found->second.icon.get() : nullptr;
}

void cQtTrayArea::Post(const cKey& key, uint32_t mouse_event, int32_t command) {
  if (mouse_event == 0 && command == 0) return;
  QCoreApplication::postEvent(&relay_,
                              new cTrayCallbackEvent(key.first, key.second, mouse_event, command));
}

bool cQtTrayArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &relay_ || event->type() != cTrayCallbackEvent::EventType()) {
    return QObject::eventFilter(watched, event);
  }
  const auto* callback = static_cast<const cTrayCallbackEvent*>(event);
  auto found = icons_.find(cKey{callback->Window(), callback->Id()});
  if (found != icons_.end() && found->second.window != nullptr && callback->Command() != 0) {
    (void)found->second.window->Send(kMessageCommand, static_cast<uint64_t>(callback->Command()));
  } else if (found != icons_.end() && found->second.callback_message != 0 &&
             found->second.window != nullptr) {
    (void)found->second.window->Send(found->second.callback_message, callback->Id(),
                                     callback->MouseEvent());
  }
  return true;
}

void cQtTrayArea::OnTrayChanged() {
  const cTray now = TrayNow();
  // A tray that came, or another in its place: either way one that knows none of the icons.
  const bool appeared = now.IsThere() && !(now == tray_);
  tray_ = now;
  if (!appeared) return;
  // The new tray knows none of the icons; the program puts its own back.
  icons_.clear();
  cMessageWindow::BroadcastToTopLevel(kTaskbarCreatedMessage);
}

}  // namespace hv
