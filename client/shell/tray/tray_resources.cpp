#include "client/shell/tray/tray_resources.h"

#include "client/picture/bitmap.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr uint32_t kIconSize = 16;

// A small house: roof, walls and door. The noticing house has its windows lit and a
// bright roof, so that the two alternate visibly even at 16 pixels.
void DrawHouse(cBitmap* picture, uint32_t roof, uint32_t wall, uint32_t door, uint32_t window) {
  for (uint32_t y = 1; y < 8; ++y) {
    for (uint32_t x = 8 - y; x <= 7 + y; ++x) picture->SetPixel(x, y, roof);
  }
  for (uint32_t y = 8; y < 15; ++y) {
    for (uint32_t x = 2; x < 14; ++x) picture->SetPixel(x, y, wall);
  }
  for (uint32_t y = 10; y < 15; ++y) {
    for (uint32_t x = 7; x < 10; ++x) picture->SetPixel(x, y, door);
  }
  for (uint32_t y = 9; y < 12; ++y) {
    for (uint32_t x : {3u, 4u, 11u, 12u}) picture->SetPixel(x, y, window);
  }
}

}  // namespace

bool LoadTrayImage(uint32_t resource_id, cBitmap* picture) {
  if (picture == nullptr) return false;
  if (resource_id != kTrayImageQuiet && resource_id != kTrayImageNoticed) return false;
  if (!picture->Allocate(kIconSize, kIconSize).ok()) return false;
  if (resource_id == kTrayImageQuiet) {
    DrawHouse(picture, ArgbPixel(255, 40, 90, 170), ArgbPixel(255, 220, 220, 210),
              ArgbPixel(255, 90, 60, 30), ArgbPixel(255, 70, 80, 100));
  } else {
    DrawHouse(picture, ArgbPixel(255, 230, 80, 20), ArgbPixel(255, 250, 230, 150),
              ArgbPixel(255, 120, 40, 20), ArgbPixel(255, 255, 230, 0));
  }
  return true;
}

const char* TrayString(uint32_t resource_id) {
  switch (resource_id) {
    case kTrayImageQuiet: return "Varnholt (TM)";
    case kTrayImageNoticed: return "Varnholt (TM) Detected Something";
    default: return "";
  }
}

std::vector<cTrayMenuItem> TrayMenu(uint32_t resource_id) {
  if (resource_id != kTrayIconId) return {};
  // "Icon Menu": the first entry is also what a double click does.
  return {
      {kTrayCommandOpen, "Open Main Control Window"},
      {kTrayCommandHide, "Hide Main Control Window"},
      {kTrayCommandAbout, "About"},
      {kTrayCommandExit, "Exit"},
      {kTrayCommandHistory, "History..."},
  };
}

}  // namespace hv
