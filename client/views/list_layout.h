// cListLayout: how the list views keep their list sized to the view. The distances are
// measured once from the window as its layout made it, then every new view size places the
// list the same way: full height, and a strip on the right as wide as the side buttons'.
#ifndef HV_CLIENT_VIEWS_LIST_LAYOUT_H_
#define HV_CLIENT_VIEWS_LIST_LAYOUT_H_

#include <cstdint>

#include "client/ui/rect.h"
#include "core/status.h"

namespace hv {

class cWindow;

class cListLayout {
 public:
  // Measures from the window's controls: margin = client right edge minus the side button's
  // left edge; top offset = the list's top; gap = the side button's left minus the list's
  // right. Fails with kNotFound, naming the control, when either control is missing; the
  // layout is then as it was.
  [[nodiscard]] Status Measure(cWindow& window, int32_t list_id, int32_t side_button_id);
  bool IsMeasured() const { return measured_; }

  // The list's rectangle inside `area` (client coordinates of the view).
  cRect ListRect(const cRect& area) const;

  int32_t Margin() const { return margin_; }

 private:
  bool measured_ = false;
  int32_t margin_ = 0;
  int32_t top_offset_ = 0;
  int32_t gap_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LIST_LAYOUT_H_
