#include "client/views/video/dlg_zirer_layout.h"

namespace hv {

const cDialogLayout& ZirerLayout() {
  static const cDialogLayout layout = [] {
    cDialogLayout l;
    l.resource_id = zirer::kResourceId;
    l.title = "Zirer Controls";
    l.width = 148;
    l.height = 132;
    l.controls = {
        {eControlKind::kPushButton, zirer::kUp, "Up", 56, 4, 36, 20, 0},
        {eControlKind::kPushButton, zirer::kLeft, "Left", 16, 26, 36, 20, 0},
        {eControlKind::kPushButton, zirer::kCenter, "Center", 56, 26, 36, 20, 0},
        {eControlKind::kPushButton, zirer::kRight, "Right", 96, 26, 36, 20, 0},
        {eControlKind::kPushButton, zirer::kDown, "Down", 56, 48, 36, 20, 0},
        {eControlKind::kPushButton, zirer::kPos1, "Pos 1", 4, 74, 33, 14, 0},
        {eControlKind::kPushButton, zirer::kPos2, "Pos 2", 40, 74, 33, 14, 0},
        {eControlKind::kPushButton, zirer::kPos3, "Pos 3", 76, 74, 33, 14, 0},
        {eControlKind::kPushButton, zirer::kPos4, "Pos 4", 112, 74, 32, 14, 0},
        {eControlKind::kPushButton, zirer::kSweep, "Sweep", 4, 92, 40, 14, 0},
        {eControlKind::kCheckBox, zirer::kProgram, "Program", 52, 94, 50, 10, 0},
        {eControlKind::kLabel, zirer::kRepeatLabel, "Repeat:", 104, 94, 26, 10, kControlHidden},
        {eControlKind::kEdit, zirer::kRepeat, "1", 130, 92, 14, 12, kControlHidden | kEditNumber},
        {eControlKind::kCheckBox, zirer::kAlwaysOnTop, "Always On Top", 4, 114, 64, 10, 0},
        {eControlKind::kLabel, zirer::kStatus, "", 70, 114, 30, 10, 0},
        {eControlKind::kPushButton, zirer::kHide, "Hide", 104, 112, 40, 14, 0},
    };
    return l;
  }();
  return layout;
}

}  // namespace hv
