// The tray icon's resources: its two pictures, their tips and the icon's menu, each named
// by the number the tray icon asks for it by.
#ifndef HV_CLIENT_SHELL_TRAY_TRAY_RESOURCES_H_
#define HV_CLIENT_SHELL_TRAY_TRAY_RESOURCES_H_

#include <cstdint>
#include <vector>

namespace hv {

class cBitmap;

// The icon's id, which also names its menu.
constexpr uint32_t kTrayIconId = 134;
// The two pictures (and their tips): the quiet house, and the house that noticed something.
constexpr uint32_t kTrayImageQuiet = 129;
constexpr uint32_t kTrayImageNoticed = 130;

// Commands of the icon's menu.
enum : int32_t {
  kTrayCommandOpen = 32771,
  kTrayCommandHide = 32775,
  kTrayCommandAbout = 32773,
  kTrayCommandExit = 32774,
  kTrayCommandHistory = 32780,  // after the menu's own entries
};

struct cTrayMenuItem {
  int32_t command;
  const char* text;
};

// The picture of an icon resource, 16 x 16; false for an id that has none.
bool LoadTrayImage(uint32_t resource_id, cBitmap* picture);
// The text of a string resource; empty for an id that has none. Never null.
const char* TrayString(uint32_t resource_id);
// The entries of a menu resource, in order; empty for an id that has none.
std::vector<cTrayMenuItem> TrayMenu(uint32_t resource_id);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TRAY_TRAY_RESOURCES_H_
