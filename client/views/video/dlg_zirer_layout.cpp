#include "client/views/video/dlg_zirer_layout.h"

#include "client/ui/layout_rows.h"

namespace hv {

const cDialogLayout& ZirerLayout() {
  static const cDialogLayout layout = [] {
    cDialogLayout l{
        .resource_id = zirer::kResourceId, .title = "Zirer Controls", .width = 148, .height = 132};
    // The pad: Up, then Left, Center and Right, then Down.
    l.controls.push_back(Button(zirer::kUp, "Up", 56, 4, 36, 20));
    AddButtonRow(l, 16, 26, 36, 40,
                 {{zirer::kLeft, "Left"}, {zirer::kCenter, "Center"}, {zirer::kRight, "Right"}},
                 20);
    l.controls.push_back(Button(zirer::kDown, "Down", 56, 48, 36, 20));
    AddButtonRow(l, 4, 74, 33, 36,
                 {{zirer::kPos1, "Pos 1"}, {zirer::kPos2, "Pos 2"}, {zirer::kPos3, "Pos 3"}});
    l.controls.insert(
        l.controls.end(),
        {Button(zirer::kPos4, "Pos 4", 112, 74, 32),
         Button(zirer::kSweep, "Sweep", 4, 92, 40),
         Check(zirer::kProgram, "Program", 52, 94, 50),
         {eControlKind::kLabel, zirer::kRepeatLabel, "Repeat:", 104, 94, 26, 10, kControlHidden},
         {eControlKind::kEdit, zirer::kRepeat, "1", 130, 92, 14, 12, kControlHidden | kEditNumber},
         Check(zirer::kAlwaysOnTop, "Always On Top", 4, 114, 64),
         {eControlKind::kLabel, zirer::kStatus, "", 70, 114, 30, 10, 0},
         Button(zirer::kHide, "Hide", 104, 112, 40)});
    return l;
  }();
  return layout;
}

}  // namespace hv
