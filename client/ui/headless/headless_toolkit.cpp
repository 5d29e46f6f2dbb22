#include "client/ui/headless/headless_toolkit.h"

#include "client/ui/headless/headless_image_list.h"
#include "client/ui/headless/headless_popup_menu.h"
#include "client/ui/headless/headless_window.h"

namespace hv {

std::unique_ptr<cWindow> cHeadlessToolkit::CreateTopLevelWindow(const cDialogLayout& layout,
                                                                cWindow* /*owner*/) {
  return cHeadlessWindow::Create(*this, layout, true);
}

std::unique_ptr<cWindow> cHeadlessToolkit::CreateChildWindow(const cDialogLayout& layout,
                                                             cWindow& parent,
                                                             int32_t host_control_id) {
  if (host_control_id != 0 && parent.Control(host_control_id) == nullptr) return nullptr;
  return cHeadlessWindow::Create(*this, layout, false);
}

std::unique_ptr<cImageList> cHeadlessToolkit::CreateImageList(int32_t cell_width,
                                                              int32_t cell_height,
                                                              int32_t colour_depth) {
  if (cell_width <= 0 || cell_height <= 0) return nullptr;
  return std::make_unique<cHeadlessImageList>(cell_width, cell_height, colour_depth);
}

std::unique_ptr<cPopupMenu> cHeadlessToolkit::CreatePopupMenu() {
  return std::make_unique<cHeadlessPopupMenu>(*this);
}

int32_t cHeadlessToolkit::TakeMenuAnswer(const cHeadlessPopupMenu& menu, cPoint screen_point) {
  last_menu_point_ = screen_point;
  last_menu_items_ = menu.Items();
  last_menu_default_ = menu.DefaultItem();
  ++menus_tracked_;
  if (menu_answers_.empty()) return 0;
  const int32_t answer = menu_answers_.front();
  menu_answers_.pop_front();
  return answer;
}

}  // namespace hv
