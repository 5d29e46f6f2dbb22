#include "client/views/dialogs/dlg_adv_x10_send_layout.h"

#include "client/views/dialogs/dlg_adv_x10_send.h"

namespace hv {

namespace {

constexpr int32_t kStatic = -1;  // labels nobody addresses

cDialogLayout MakeLayout() {
  cDialogLayout layout;
  layout.resource_id = kX10SendResourceId;
  layout.title = "Send X10 Code";
  layout.width = 270;
  layout.height = 84;
  using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
  using E = eControlKind;
  // Each label comes right before the selector it names, so the toolkit can tie the two
  // together for keyboard and screen-reader users.
  layout.controls = {
      K{E::kLabel, kStatic, "Port:", 7, 10, 58, 8},
      K{E::kComboBox, kX10SendHouse, "", 68, 7, 36, 14},
      K{E::kLabel, kStatic, "Bit:", 114, 10, 18, 8},
      K{E::kComboBox, kX10SendUnit, "", 134, 7, 66, 14},
      K{E::kLabel, kStatic, "Function:", 7, 28, 58, 8},
      K{E::kComboBox, kX10SendFunction, "", 68, 25, 132, 14},
      K{E::kLabel, kX10SendDimLabel, "Bright/Dim %:", 7, 46, 58, 8},
      K{E::kEdit, kX10SendDim, "", 68, 43, 30, 14, kEditNumber},
      K{E::kLabel, kStatic, "Switching Type:", 7, 64, 58, 8},
      K{E::kComboBox, kX10SendSwitchingType, "", 68, 61, 132, 14},
      K{E::kPushButton, kX10SendSend, "&Send", 208, 7, 55, 14},
      K{E::kDefaultButton, kResultOk, "OK", 208, 25, 55, 14},
      K{E::kPushButton, kResultCancel, "Cancel", 208, 43, 55, 14},
  };
  return layout;
}

}  // namespace

const cDialogLayout& AdvX10SendLayout() {
  static const cDialogLayout layout = MakeLayout();
  return layout;
}

}  // namespace hv
