// cHeadlessTrayArea: an in-memory tray for tests. It keeps the icons as the program left
// them (window, id, picture, tip), lets a test play the user on an icon (its callback
// message reaches the icon's window at once) and play the desktop: a tray that is missing,
// or one that restarts and has forgotten every icon.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_TRAY_AREA_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_TRAY_AREA_H_

#include <map>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/tray_area.h"
#include "client/ui/tray_images.h"

namespace hv {

class cHeadlessTrayArea : public tTrayImages<cBitmap> {
 public:
  struct cIcon {
    cMessageWindow* window = nullptr;
    uint32_t id = 0;
    uint32_t callback_message = 0;  // 0: the icon sends none
    cTrayImage image = 0;
    std::string tip;
    std::vector<cTrayMenuEntry> menu;  // as last exported
    int menu_exports = 0;
  };

  bool IsAvailable() const override { return available_; }
  cTrayImage CreateImage(const cBitmap& picture) override;
  bool NotifyIcon(eTrayOperation operation, const cTrayIconRecord& record) override;
  // Kept in `balloons` when the icon is there.
  bool ShowBalloon(const cTrayIconRecord& record, const cDesktopNotice& notice) override {
    if (icons_.count(cKey{record.window, record.id}) == 0) return false;
    balloons.push_back(cBalloon{record.id, notice.title.CStr(), notice.text.CStr(), notice.icon});
    return true;
  }
  // Kept with the icon when the tray is one that shows menus (ShowsMenus).
  bool SetIconMenu(const cTrayIconRecord& record,
                   const std::vector<cTrayMenuEntry>& entries) override;
  // The tray plays a StatusNotifierItem host: it shows the icons' menus itself.
  void ShowsMenus(bool shows) { shows_menus_ = shows; }
  // The user chooses an entry of the exported menu: its command goes to the icon's window.
  bool ChooseMenuEntry(uint32_t id, int32_t command);

  struct cBalloon {
    uint32_t id = 0;
    std::string title;
    std::string text;
    eNoticeIcon icon = eNoticeIcon::kInformation;
  };
  std::vector<cBalloon> balloons;

  // The icon in the tray with that id, or null.
  const cIcon* Icon(uint32_t id) const;
  size_t IconCount() const { return icons_.size(); }
  // The picture an image was made from; null for an unknown or destroyed one.
  const cBitmap* Image(cTrayImage image) const { return FindImage(image); }
  size_t LiveImages() const { return ImageCount(); }
  // How many add, modify and delete calls succeeded, in total.
  int Changes() const { return changes_; }

  // The user does something to the icon (kMessageRightButtonUp...): its callback message
  // goes to its window now. False when there is no such icon or it sends no message.
  bool UserEvent(uint32_t id, uint32_t mouse_event);
  // The desktop's tray goes away (its icons with it) or comes back (the top-level message
  // windows are told).
  void SetAvailable(bool available);
  // The tray ends and starts again.
  void Restart();
  // The next CreateImage calls fail.
  void FailImages(bool fail) { fail_images_ = fail; }

 private:
  using cKey = std::pair<const cMessageWindow*, uint32_t>;
  std::map<cKey, cIcon> icons_;
  bool available_ = true;
  bool fail_images_ = false;
  bool shows_menus_ = false;
  int changes_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_TRAY_AREA_H_
