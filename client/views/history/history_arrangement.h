// HistoryArrangement: how the History window's controls follow its size. The chart and the
// events table share the height the window gains (the item list grows beside the chart), both
// grow with the width, and the controls below each move down with it; the buttons stay at the
// bottom right. The window may shrink below its first size only as far as the chart and the
// table stay readable.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_ARRANGEMENT_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_ARRANGEMENT_H_

#include <cstdint>
#include <vector>

#include "client/ui/rect.h"

namespace hv {
class cWindow;
}  // namespace hv

namespace hv::history {

class HistoryArrangement {
 public:
  // Measures from the window's controls as its layout placed them.
  void Measure(cWindow& window);
  int32_t MinimumWidth() const { return min_width_; }
  int32_t MinimumHeight() const { return min_height_; }

  // Places every control for a client area of width x height (never below the minimum).
  void Arrange(cWindow& window, int32_t width, int32_t height) const;
  // Where the chart frame is for a client area of that size.
  cRect ChartRect(int32_t width, int32_t height) const;

 private:
  struct Placed {
    int32_t id;
    cRect rect;
  };
  cRect Place(const Placed& placed, int32_t width, int32_t height) const;

  std::vector<Placed> first_;
  int32_t width_ = 0;  // the client area the layout made
  int32_t height_ = 0;
  int32_t min_width_ = 0;
  int32_t min_height_ = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_ARRANGEMENT_H_
