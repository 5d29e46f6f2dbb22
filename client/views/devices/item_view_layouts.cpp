#include "client/views/devices/item_view_layouts.h"

#include "client/views/title_label.h"
#include "client/views/view_kind.h"

namespace hv {

namespace {

// Every view fills the tab control's page area (357 x 94 dialog units).
constexpr int32_t kWidth = 357;
constexpr int32_t kHeight = 94;
constexpr int32_t kListTop = 13;
constexpr int32_t kButtonLeft = 314;
constexpr int32_t kButtonWidth = 40;
constexpr int32_t kListWidth = kButtonLeft - 4;

cDialogLayout MakeLayout(int32_t resource_id, const char* title, int32_t list_id, bool info_label) {
  using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
  using E = eControlKind;
  cDialogLayout layout{.resource_id = resource_id, .width = kWidth, .height = kHeight};
  layout.controls = {
      K{E::kLabel, kTitleLabelId, title, 4, 2, 60, 9},
      K{E::kReportList, list_id, "", 0, kListTop, kListWidth, kHeight - kListTop},
  };
  if (info_label) layout.controls.push_back(K{E::kLabel, kMacroInfoLabelId, "", 66, 2, 244, 9});
  static const char* const kCaptions[kSideButtonCount] = {"&Add", "&Change", "&Delete", "&Up",
                                                          "&Down"};
  for (int32_t i = 0; i < kSideButtonCount; ++i) {
    layout.controls.push_back(K{E::kPushButton, kSideButtonIds[i], kCaptions[i], kButtonLeft,
                                kListTop + 16 * i, kButtonWidth, 14});
  }
  return layout;
}

}  // namespace

const cDialogLayout& SwitchesViewLayout() {
  static const cDialogLayout layout =
      MakeLayout(RowOfKind(ViewKind::kSwitches).resource_id, "Switches", kSwitchListId, false);
  return layout;
}

const cDialogLayout& SensorsViewLayout() {
  static const cDialogLayout layout =
      MakeLayout(RowOfKind(ViewKind::kSensors).resource_id, "Sensors", kSensorListId, false);
  return layout;
}

const cDialogLayout& MacrosViewLayout() {
  static const cDialogLayout layout =
      MakeLayout(RowOfKind(ViewKind::kMacros).resource_id, "Macros", kMacroListId, true);
  return layout;
}

const cDialogLayout& ModesViewLayout() {
  static const cDialogLayout layout =
      MakeLayout(RowOfKind(ViewKind::kModes).resource_id, "Modes", kModeListId, false);
  return layout;
}

}  // namespace hv
