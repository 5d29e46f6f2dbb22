// The window layouts of the switches, sensors, macros and modes views: the title label, the
// list, and a column of side buttons that the client keeps hidden (they have no function
// here, but the list's layout measures its right-hand strip from the first of them).
#ifndef HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_LAYOUTS_H_
#define HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_LAYOUTS_H_

#include <cstdint>

#include "client/ui/dialog_layout.h"

namespace hv {

// The lists; each view also hands its list's id to the check-box handler as its context.
constexpr int32_t kSwitchListId = 1012;
constexpr int32_t kSensorListId = 1069;
constexpr int32_t kMacroListId = 1007;
constexpr int32_t kModeListId = 1774;

// "&Add", "&Change", "&Delete", "&Up", "&Down", top to bottom.
constexpr int32_t kSideButtonIds[] = {1701, 1702, 1703, 1704, 1705};
constexpr int32_t kSideButtonCount = 5;

// The macros view's second label, without text, beside its title.
constexpr int32_t kMacroInfoLabelId = 1565;

const cDialogLayout& SwitchesViewLayout();
const cDialogLayout& SensorsViewLayout();
const cDialogLayout& MacrosViewLayout();
const cDialogLayout& ModesViewLayout();

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_LAYOUTS_H_
