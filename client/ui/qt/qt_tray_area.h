// cQtTrayArea: the desktop's tray through QSystemTrayIcon. An icon's activations reach its
// message window as the icon's callback message (a right click as a right button release,
// a double click as a left double click), posted through the event queue and delivered by
// this object's event filter, so each arrives on a turn of the loop of its own. A tray that
// appears (restarted, or started after the program) is announced to the top-level message
// windows with kTaskbarCreatedMessage; the icons it had are forgotten first, since the
// program adds them again. A QApplication must exist before it is made and outlive it.
#ifndef HV_CLIENT_UI_QT_QT_TRAY_AREA_H_
#define HV_CLIENT_UI_QT_QT_TRAY_AREA_H_

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "client/ui/tray_area.h"
#include "client/ui/tray_images.h"

namespace hv {

class cQtTrayArea : public QObject, public tTrayImages<QIcon> {
 public:
  // How often the desktop is asked whether its tray is there.
  static constexpr int kTrayWatchMs = 1000;

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
  // Looks at the desktop's tray now rather than at the next watch.
  void CheckTray();

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
  };
  void Post(const cKey& key, uint32_t mouse_event, int32_t command);
  bool ShowsMenus();

  std::map<cKey, cIcon> icons_;
  QObject relay_;  // the posted callbacks' receiver, filtered by this object
  QTimer watch_;
  bool was_available_ = false;
  std::optional<bool> shows_menus_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_TRAY_AREA_H_
