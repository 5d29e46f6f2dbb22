// What sets the switches, sensors, macros and modes views apart, side by side in one table:
// the list and its settings name, the columns and pictures, the requests a view sends and the
// messages of their failures, and the kind of tray favourite its items can be. Everything
// else the four views do alike lives in cItemListView.
#ifndef HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_DESCRIPTIONS_H_
#define HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_DESCRIPTIONS_H_

#include "client/views/devices/item_list_view.h"

namespace hv {

extern const cItemViewDescription kSwitchesViewDescription;
extern const cItemViewDescription kSensorsViewDescription;
extern const cItemViewDescription kMacrosViewDescription;
extern const cItemViewDescription kModesViewDescription;

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_DESCRIPTIONS_H_
