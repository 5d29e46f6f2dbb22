#include "client/shell/desk/shared_images.h"

#include "client/picture/bitmap.h"
#include "client/ui/image_list.h"
#include "client/views/drawn_image_list.h"
#include "core/status.h"

namespace hv {

namespace {

// One image: a filled disc or square in a colour of its own with a darker rim, so every
// entry kind and state can be told apart at a glance.
struct ImageStyle {
  uint32_t fill;
  bool square;
};

constexpr ImageStyle kStyles[kSharedImageCount] = {
    {0x3C78D8, false},  // information
    {0xF1C232, false},  // switch on
    {0xCC0000, true},   // error
    {0x6AA84F, false},  // sensor
    {0x999999, false},  // switch off
    {0xE69138, true},   // warning
    {0x674EA7, true},   // macro
    {0x45818E, true},   // mode
    {0x3D85C6, true},   // camera
    {0xA64D79, false},  // user
    {0x93C47D, true},   // temperature
    {0x76A5AF, false},  // e-mail, sound
    {0xFFD966, true},   // light
    {0x434343, true},   // other
};

uint32_t Darker(uint32_t rgb) {
  uint32_t r = ((rgb >> 16) & 0xFF) * 2 / 3;
  uint32_t g = ((rgb >> 8) & 0xFF) * 2 / 3;
  uint32_t b = (rgb & 0xFF) * 2 / 3;
  return r << 16 | g << 8 | b;
}

}  // namespace

bool DrawSharedImage(int32_t index, cBitmap* picture) {
  if (index < 0 || index >= kSharedImageCount || picture == nullptr) return false;
  if (!picture->Allocate(kSharedImageWidth, kSharedImageHeight, 0xFF000000u | kDrawnTransparent)
           .ok()) {
    return false;
  }
  const ImageStyle& style = kStyles[index];
  const int cx = kSharedImageWidth / 2;
  const int cy = kSharedImageHeight / 2;
  const int radius = 6;
  for (int y = 0; y < kSharedImageHeight; ++y) {
    for (int x = 0; x < kSharedImageWidth; ++x) {
      int dx = x - cx;
      int dy = y - cy;
      int distance = style.square ? (dx * dx > dy * dy ? dx * dx : dy * dy) : dx * dx + dy * dy;
      int limit = style.square ? radius * radius : radius * radius + radius;
      if (distance > limit) continue;
      bool rim = style.square ? distance > (radius - 1) * (radius - 1)
                              : distance > (radius - 1) * (radius - 1) + radius - 1;
      uint32_t rgb = rim ? Darker(style.fill) : style.fill;
      picture->SetPixel(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 0xFF000000u | rgb);
    }
  }
  return true;
}

std::unique_ptr<cImageList> MakeSharedImageList(cToolkit& toolkit) {
  return MakeDrawnImageList(toolkit, kSharedImageWidth, kSharedImageHeight, kSharedImageCount,
                            DrawSharedImage);
}

cBitmap MakeWindowIcon() {
  cBitmap icon;
  if (!icon.Allocate(16, 16).ok()) return icon;
  const uint32_t roof = ArgbPixel(255, 160, 32, 32);
  const uint32_t wall = ArgbPixel(255, 230, 200, 120);
  const uint32_t door = ArgbPixel(255, 90, 60, 30);
  for (uint32_t y = 1; y < 8; ++y) {
    for (uint32_t x = 8 - y; x <= 7 + y; ++x) icon.SetPixel(x, y, roof);
  }
  for (uint32_t y = 8; y < 15; ++y) {
    for (uint32_t x = 2; x < 14; ++x) icon.SetPixel(x, y, wall);
  }
  for (uint32_t y = 10; y < 15; ++y) {
    for (uint32_t x = 7; x < 10; ++x) icon.SetPixel(x, y, door);
  }
  return icon;
}

}  // namespace hv
