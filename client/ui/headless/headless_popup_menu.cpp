#include "client/ui/headless/headless_popup_menu.h"

#include "client/ui/headless/headless_toolkit.h"

namespace hv {

void cHeadlessPopupMenu::AppendItem(int32_t command, const char* text) {
  items_.push_back(cItem{command, text, true});
}

void cHeadlessPopupMenu::AppendSeparator() { items_.push_back(cItem{0, swString(), false}); }

void cHeadlessPopupMenu::EnableItem(int32_t command, bool enable) {
  for (cItem& item : items_) {
    if (item.command == command && command != 0) item.enabled = enable;
  }
}

void cHeadlessPopupMenu::CheckItem(int32_t command, bool checked) {
  for (cItem& item : items_) {
    if (item.command == command && command != 0) item.checked = checked;
  }
}

int32_t cHeadlessPopupMenu::Track(cPoint screen_point) {
  const int32_t answer = toolkit_.TakeMenuAnswer(*this, screen_point);
  for (const cItem& item : items_) {
    if (item.command != 0 && item.command == answer && item.enabled) return answer;
  }
  return 0;
}

}  // namespace hv
