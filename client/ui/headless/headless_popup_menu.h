// cHeadlessPopupMenu: an in-memory popup menu; Track answers with the command the test
// queued on the toolkit (0, dismissed, when none is queued or it is not an enabled item).
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_POPUP_MENU_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_POPUP_MENU_H_

#include <vector>

#include "client/ui/menu.h"
#include "core/string/sw_string.h"

namespace hv {

class cHeadlessToolkit;

class cHeadlessPopupMenu : public cPopupMenu {
 public:
  explicit cHeadlessPopupMenu(cHeadlessToolkit& toolkit) : toolkit_(toolkit) {}

  void AppendItem(int32_t command, const char* text) override;
  void AppendSeparator() override;
  void EnableItem(int32_t command, bool enable) override;
  void CheckItem(int32_t command, bool checked) override;
  int32_t ItemCount() const override { return static_cast<int32_t>(items_.size()); }
  void SetDefaultItem(int32_t command) override { default_command_ = command; }
  int32_t Track(cPoint screen_point) override;
  int32_t DefaultItem() const { return default_command_; }

  struct cItem {
    int32_t command;  // 0 for a separator
    swString text;
    bool enabled;
    bool checked = false;
  };
  const std::vector<cItem>& Items() const { return items_; }

 private:
  cHeadlessToolkit& toolkit_;
  std::vector<cItem> items_;
  int32_t default_command_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_POPUP_MENU_H_
