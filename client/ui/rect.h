// Points and rectangles in pixels. A rectangle holds its edges (right and bottom are one past
// the last pixel), as the views and the main window compute with edges, not sizes.
#ifndef HV_CLIENT_UI_RECT_H_
#define HV_CLIENT_UI_RECT_H_

#include <cstdint>

namespace hv {

struct cPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct cRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  // Empty when it has no area, which is how a window that was never sized reports itself.
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(cPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

inline bool operator==(const cRect& a, const cRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace hv

#endif  // HV_CLIENT_UI_RECT_H_
