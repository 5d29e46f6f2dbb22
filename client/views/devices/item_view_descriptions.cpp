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

Status GetSwitches(R& requests) { return requests.GetSwitches(); }
Status GetSensors(R& requests) { return requests.GetSensors(); }
Status GetMacros(R& requests) { return requests.GetMacros(); }
Status GetModes(R& requests) { return requests.GetModes(); }

// A click asks for the opposite of what the row's box shows: a checked switch or sensor is
// turned off (3), a clear one on (2); a checked (running) macro is stopped, back to
// monitoring, any other started; a checked (active) mode is made inactive, a clear one active.
Status ToggleSwitch(R& requests, const swString& name, bool checked) {
  return requests.SetSwitchStatus(name, checked ? 3 : 2);
}
Status ToggleSensor(R& requests, const swString& name, bool checked) {
  return requests.SetSensorStatus(name, checked ? 3 : 2);
}
Status ToggleMacro(R& requests, const swString& name, bool checked) {
  return requests.SetMacroStatus(name, checked ? kMacroMonitoring : kMacroInProgress);
}
Status ToggleMode(R& requests, const swString& name, bool checked) {
  return requests.SetModeStatus(name, checked ? 0 : kModeActive);
}

}  // namespace

// kind, list, settings name, columns, requests, their failures[, pictures[, favourite]]
const cItemViewDescription kSwitchesViewDescription = {
    ViewKind::kSwitches, kSwitchListId,          "MainSwitchList",      kSwitchColumns,
    GetSwitches,         ToggleSwitch,           failure::kGetSwitches, failure::kSetSwitchStatus,
    kSwitchIcons,        eFavouriteKind::kSwitch};
const cItemViewDescription kSensorsViewDescription = {
    ViewKind::kSensors, kSensorListId,        "MainSensorList",          kSensorColumns, GetSensors,
    ToggleSensor,       failure::kGetSensors, failure::kSetSensorStatus, kSensorIcons};
const cItemViewDescription kMacrosViewDescription = {ViewKind::kMacros,
                                                     kMacroListId,
                                                     "MainMacroList",
                                                     kMacroColumns,
                                                     GetMacros,
                                                     ToggleMacro,
                                                     failure::kGetMacros,
                                                     failure::kSetMacroStatus,
                                                     {},
                                                     eFavouriteKind::kMacro};
const cItemViewDescription kModesViewDescription = {
    ViewKind::kModes, kModeListId, "MainModeList",     kModeColumns,
    GetModes,         ToggleMode,  failure::kGetModes, failure::kSetModeStatus};

}  // namespace hv
