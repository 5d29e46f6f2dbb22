// cQtTrayArea: the desktop's tray through QSystemTrayIcon. An icon's activations reach its
// message window as the icon's callback message (a right click as a right button release,
// a double click as a left double click), posted through the event queue and delivered by
// this object's event filter, so each arrives on a turn of the loop of its own. A tray that
// appears (restarted, or started after the program) is announced to the top-level message
// windows with kTaskbarCreatedMessage; the icons it had are forgotten first, since the
// program adds them again. The tray is followed through what the desktop announces (a
// StatusNotifierItem host on the session bus, an XEmbed tray on X11), never by asking it
// again and again. A QApplication must exist before it is made and outlive it.
#ifndef HV_CLIENT_UI_QT_QT_TRAY_AREA_H_
#define HV_CLIENT_UI_QT_QT_TRAY_AREA_H_

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "client/ui/qt/status_notifier_watch.h"
#include "client/ui/qt/xembed_tray_watch.h"
#include "client/ui/tray_area.h"
#include "client/ui/tray_images.h"

namespace hv {

class cQtTrayArea : public QObject, public tTrayImages<QIcon> {
 public:
  cQtTrayArea();
  ~cQtTrayArea() override;
  cQtTrayArea(const cQtTrayArea&) = delete;
  cQtTrayArea& operator=(const cQtTrayArea&) = delete;

  bool IsAvailable() const override;
  cTrayImage CreateImage(const cBitmap& picture) override;
  bool NotifyIcon(eTrayOperation operation, const cTrayIconRecord& record) override;
  bool ShowBalloon(const cTrayIconRecord& record, const cDesktopNotice& notice) override;
  bool SetIconMenu(const cTrayIconRecord& record,
                   const std::vector<cTrayMenuEntry>& entries) override;

  // The toolkit's icon behind (window, id), or null; for tests of the real tray.
  QSystemTrayIcon* IconOf(const cMessageWindow* window, uint32_t id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using cKey = std::pair<const cMessageWindow*, uint32_t>;
  struct cIcon {
    // The menu outlives the icon, which refers to it.
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QSystemTrayIcon> icon;
    cMessageWindow* window = nullptr;
    uint32_t callback_message = 0;
    // Made for a StatusNotifierItem host, which shows the menu itself.
    bool shows_menus = false;
  };
  // Which tray the desktop has now; a StatusNotifierItem host is where Qt puts icons when
  // both kinds are there.
  struct cTray {
    bool status_notifier = false;
    uint32_t xembed_window = 0;
    bool operator==(const cTray&) const = default;
    bool IsThere() const { return status_notifier || xembed_window != 0; }
  };
  cTray TrayNow() const;
  void Post(const cKey& key, uint32_t mouse_event, int32_t command);
  // One of the watches saw the tray change.
  void OnTrayChanged();

  std::map<cKey, cIcon> icons_;
  QObject relay_;  // the posted callbacks' receiver, filtered by this object
  cStatusNotifierWatch status_notifier_{[this] { OnTrayChanged(); }};
  cXembedTrayWatch xembed_{[this] { OnTrayChanged(); }};
  cTray tray_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_TRAY_AREA_H_
