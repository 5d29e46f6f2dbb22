// cPopupMenu: a menu that opens at a point and hands back the command the user chose.
#ifndef HV_CLIENT_UI_MENU_H_
#define HV_CLIENT_UI_MENU_H_

#include <cstdint>

#include "client/ui/rect.h"

namespace hv {

class cPopupMenu {
 public:
  virtual ~cPopupMenu() = default;

  virtual void AppendItem(int32_t command, const char* text) = 0;
  virtual void AppendSeparator() = 0;
  virtual void EnableItem(int32_t command, bool enable) = 0;
  // Shows a check mark beside the item, or none; an item never checked shows no mark.
  virtual void CheckItem(int32_t command, bool checked) = 0;
  virtual int32_t ItemCount() const = 0;  // separators included
  // Shows the item as the one a double click would choose (in bold).
  virtual void SetDefaultItem(int32_t command) = 0;

  // Opens the menu at a screen point and waits for the choice; returns the chosen command,
  // or 0 when the menu was dismissed.
  virtual int32_t Track(cPoint screen_point) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_MENU_H_
