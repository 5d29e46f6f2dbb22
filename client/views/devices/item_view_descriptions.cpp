#include "client/views/devices/item_view_descriptions.h"

#include "client/protocol/request_failures.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/item_view_icons.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"

namespace hv {

namespace {

using I = eItemViewIcon;
using R = cItemViewRequests;

constexpr cItemColumn kSwitchColumns[] = {
    {"Status", 45}, {"Status Data", 75}, {"Switch Name", 150}, {"Description", 150}, {"Type", 94}};
constexpr cItemColumn kSensorColumns[] = {
    {"Status", 44}, {"Status Data", 70}, {"Sensor Name", 150}, {"Description", 150}, {"Type", 67}};
constexpr cItemColumn kMacroColumns[] = {
    {"Status", 73},      {"Macro Name", 150},  {"Description", 150}, {"Startup", 47},
    {"Trigger Qty", 66}, {"Trigger When", 80}, {"Action Qty", 62},   {"Stop Sensor Qty", 93}};
constexpr cItemColumn kModeColumns[] = {{"Status", 73}, {"Mode Name", 150}, {"Description", 150}};

// In image index order (the rows' ImageIndex).
constexpr eItemViewIcon kSwitchIcons[] = {I::kIoCard, I::kIoModule, I::kX10Switch, I::kWiredSwitch,
                                          I::kPaddleSwitch};
constexpr eItemViewIcon kSensorIcons[] = {I::kIoCard, I::kIoModule, I::kThermometer, I::kX10Sensor,
                                          I::kWiredSensor};

// A click asks for the opposite of what the row's box shows: a checked switch or sensor is
// turned off (3), a clear one on (2); a checked (running) macro is stopped, back to
// monitoring, any other started; a checked (active) mode is made inactive, a clear one active.
int32_t ToggleSwitch(R& requests, const swString& name, bool checked) {
  return requests.SetSwitchStatus(name, checked ? 3 : 2);
}
int32_t ToggleSensor(R& requests, const swString& name, bool checked) {
  return requests.SetSensorStatus(name, checked ? 3 : 2);
}
int32_t ToggleMacro(R& requests, const swString& name, bool checked) {
  return requests.SetMacroStatus(name, checked ? kMacroMonitoring : kMacroInProgress);
}
int32_t ToggleMode(R& requests, const swString& name, bool checked) {
  return requests.SetModeStatus(name, checked ? 0 : kModeActive);
}

}  // namespace

const cItemViewDescription kSwitchesViewDescription = {
    .kind = kViewSwitches,
    .list_id = kSwitchListId,
    .settings_name = "MainSwitchList",
    .columns = kSwitchColumns,
    .send_get_items = [](R& requests) { return requests.GetSwitches(); },
    .send_toggle = ToggleSwitch,
    .get_items_failure = failure::kGetSwitches,
    .toggle_failure = failure::kSetSwitchStatus,
    .icons = kSwitchIcons,
    .favourite = eFavouriteKind::kSwitch,
};

const cItemViewDescription kSensorsViewDescription = {
    .kind = kViewSensors,
    .list_id = kSensorListId,
    .settings_name = "MainSensorList",
    .columns = kSensorColumns,
    .send_get_items = [](R& requests) { return requests.GetSensors(); },
    .send_toggle = ToggleSensor,
    .get_items_failure = failure::kGetSensors,
    .toggle_failure = failure::kSetSensorStatus,
    .icons = kSensorIcons,
};

const cItemViewDescription kMacrosViewDescription = {
    .kind = kViewMacros,
    .list_id = kMacroListId,
    .settings_name = "MainMacroList",
    .columns = kMacroColumns,
    .send_get_items = [](R& requests) { return requests.GetMacros(); },
    .send_toggle = ToggleMacro,
    .get_items_failure = failure::kGetMacros,
    .toggle_failure = failure::kSetMacroStatus,
    .favourite = eFavouriteKind::kMacro,
};

const cItemViewDescription kModesViewDescription = {
    .kind = kViewModes,
    .list_id = kModeListId,
    .settings_name = "MainModeList",
    .columns = kModeColumns,
    .send_get_items = [](R& requests) { return requests.GetModes(); },
    .send_toggle = ToggleMode,
    .get_items_failure = failure::kGetModes,
    .toggle_failure = failure::kSetModeStatus,
};

}  // namespace hv
