#include "client/views/history/window_place.h"

#include <algorithm>

namespace hv::history {

namespace {

constexpr int32_t kOffset = 32;  // as cascaded windows sit, so both title bars show

}  // namespace

cRect PlaceWindow(const cRect& window, const ScreenPlace& place) {
  const cRect& area = place.area;
  if (area.IsEmpty()) return window;
  const int32_t width = std::min(window.Width(), area.Width());
  const int32_t height = std::min(window.Height(), area.Height());
  int32_t left = area.left + (area.Width() - width) / 2;
  int32_t top = area.top + (area.Height() - height) / 2;
  if (!place.owner.IsEmpty()) {
    left = place.owner.left + kOffset;
    top = place.owner.top + kOffset;
  }
  left = std::clamp(left, area.left, area.right - width);
  top = std::clamp(top, area.top, area.bottom - height);
  return cRect{left, top, left + width, top + height};
}

}  // namespace hv::history
