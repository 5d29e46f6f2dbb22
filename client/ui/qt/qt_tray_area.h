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
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <map>
#include <memory>
#include <utility>

#include "client/ui/tray_area.h"

namespace hv {

class cQtTrayArea : public QObject, public cTrayArea {
 public:
  // How often the desktop is asked whether its tray is there.
  static constexpr int kTrayWatchMs = 1000;

  cQtTrayArea();
  ~cQtTrayArea() override;
  cQtTrayArea(const cQtTrayArea&) = delete;
  cQtTrayArea& operator=(const cQtTrayArea&) = delete;

  bool IsAvailable() const override;
  cTrayImage CreateImage(const cBitmap& picture) override;
  void DestroyImage(cTrayImage image) override;
  bool NotifyIcon(eTrayOperation operation, const cTrayIconRecord& record) override;
  bool ShowBalloon(const cTrayIconRecord& record, const cDesktopNotice& notice) override;

  // The toolkit's icon behind (window, id), or null; for tests of the real tray.
  QSystemTrayIcon* IconOf(const cMessageWindow* window, uint32_t id) const;
  // Looks at the desktop's tray now rather than at the next watch.
  void CheckTray();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using cKey = std::pair<const cMessageWindow*, uint32_t>;
  struct cIcon {
    std::unique_ptr<QSystemTrayIcon> icon;
    cMessageWindow* window = nullptr;
    uint32_t callback_message = 0;
  };
  void Post(const cKey& key, uint32_t mouse_event);

  std::map<cKey, cIcon> icons_;
  std::map<cTrayImage, QIcon> images_;
  cTrayImage next_image_ = 1;
  QObject relay_;  // the posted callbacks' receiver, filtered by this object
  QTimer watch_;
  bool was_available_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_TRAY_AREA_H_
