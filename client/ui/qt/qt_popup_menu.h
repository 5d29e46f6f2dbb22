// cQtPopupMenu: popup menus on QMenu. Like the message box, it takes queued answers from its
// toolkit so tests never block.
#ifndef HV_CLIENT_UI_QT_QT_POPUP_MENU_H_
#define HV_CLIENT_UI_QT_QT_POPUP_MENU_H_

#include <QMenu>
#include <map>

#include "client/ui/menu.h"

namespace hv {

class cQtToolkit;

class cQtPopupMenu : public cPopupMenu {
 public:
  explicit cQtPopupMenu(cQtToolkit& toolkit) : toolkit_(toolkit) {}

  void AppendItem(int32_t command, const char* text) override;
  void AppendSeparator() override;
  void EnableItem(int32_t command, bool enable) override;
  void CheckItem(int32_t command, bool checked) override;
  int32_t ItemCount() const override { return static_cast<int32_t>(menu_.actions().size()); }
  void SetDefaultItem(int32_t command) override;
  int32_t Track(cPoint screen_point) override;
  const QMenu& Menu() const { return menu_; }

 private:
  cQtToolkit& toolkit_;
  QMenu menu_;
  std::map<QAction*, int32_t> commands_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_POPUP_MENU_H_
