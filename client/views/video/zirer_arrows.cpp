#include "client/views/video/zirer_arrows.h"

#include <cstdlib>

#include "client/picture/bitmap.h"

namespace hv {

bool DrawZirerArrow(int32_t direction, cBitmap* picture) {
  if (picture == nullptr || direction < 0 || direction > 3) return false;
  constexpr int32_t n = static_cast<int32_t>(kZirerArrowSize);
  if (!picture->Allocate(kZirerArrowSize, kZirerArrowSize).ok()) return false;
  const uint32_t ink = ArgbPixel(0xFF, 0x20, 0x20, 0x20);
  // A right-pointing triangle, turned for the other directions: column `along` runs from
  // the base (4) to the tip (n - 5); its half height narrows towards the tip.
  for (int32_t along = 4; along <= n - 5; ++along) {
    const int32_t half = (n - 5 - along) / 2;
    for (int32_t across = n / 2 - half; across <= n / 2 + half; ++across) {
      int32_t x = along;
      int32_t y = across;
      switch (direction) {
        case 0: x = n - 1 - along; break;
        case 1: break;
        case 2:
          x = across;
          y = n - 1 - along;
          break;
        case 3:
          x = across;
          y = along;
          break;
      }
      picture->SetPixel(static_cast<uint32_t>(x), static_cast<uint32_t>(y), ink);
    }
  }
  return true;
}

}  // namespace hv
