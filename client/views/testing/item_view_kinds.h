// The four item views as the tests of what they do alike see them, and a test fixture for
// any one of them that has asked for its list once.
#ifndef HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_KINDS_H_
#define HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_KINDS_H_

#include <cstdint>
#include <string>

#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_test_support.h"

namespace hv {

namespace test {

// What a view's requests are called, what a click sends to turn an item on and off, and what
// its two requests' failure messages say before the " not sent successfully" they all end in.
struct cItemViewRequestFacts {
  const char* get;
  const char* set;
  uint32_t on;
  uint32_t off;
  const char* get_failure;
  const char* set_failure;

  static std::string FailureMessage(const char* what) {
    return std::string(what) + " not sent successfully";
  }
};

inline constexpr cItemViewRequestFacts kSwitchesRequests = {
    "GetSwitches", "SetSwitchStatus", 2, 3, "Set switches command", "Set switch status"};
inline constexpr cItemViewRequestFacts kSensorsRequests = {
    "GetSensors", "SetSensorStatus", 2, 3, "Get sensors command", "Set sensor status"};
// A click starts a macro (3), and stops a running one: back to monitoring (2).
inline constexpr cItemViewRequestFacts kMacrosRequests = {
    "GetMacros", "SetMacroStatus", 3, 2, "Get macros command", "Set macro status command"};
inline constexpr cItemViewRequestFacts kModesRequests = {
    "GetModes", "SetModeStatus", 1, 0, "Get modes command", "Set mode status command"};

// One kind of view as a type, for the typed tests: the view, its layout and its requests.
template <class ViewT, const cDialogLayout& (*kLayout)(), const cItemViewRequestFacts& kRequests>
struct cItemViewKind {
  using View = ViewT;
  static const cDialogLayout& Layout() { return kLayout(); }
  static constexpr const cItemViewRequestFacts& requests = kRequests;
};

using SwitchesView = cItemViewKind<CDlgChildSwitches, SwitchesViewLayout, kSwitchesRequests>;
using SensorsView = cItemViewKind<CDlgChildSensors, SensorsViewLayout, kSensorsRequests>;
using MacrosView = cItemViewKind<CDlgChildMacros, MacrosViewLayout, kMacrosRequests>;
using ModesView = cItemViewKind<CDlgChildModes, ModesViewLayout, kModesRequests>;

// An item that its view lists with the box checked (`on`) or clear. Switches and sensors are
// listed checked by their state; macros and modes are listed clear whatever their state, and
// only a status change checks them.
inline Status AddItem(CDlgChildSwitches& view, const char* name, bool on) {
  return view.AddSwitch(Switch(name, on ? 2 : 3));
}
// Motion, and Motion Stopped.
inline Status AddItem(CDlgChildSensors& view, const char* name, bool on) {
  return view.AddSensor(Sensor(name, on ? 36 : 37));
}
inline Status AddItem(CDlgChildMacros& view, const char* name, bool on) {
  Status added = view.AddMacro(Macro(name, 2));
  return !on || !added.ok() ? added : view.SetMacroStatus(MacroStatus(name, 3));
}
inline Status AddItem(CDlgChildModes& view, const char* name, bool on) {
  Status added = view.AddMode(Mode(name, on ? 1 : 0));
  return !on || !added.ok() ? added : view.SetModeStatus(ModeStatus(name, 1));
}

// A test of one kind of view, its list asked for once before each test.
template <class Kind>
class cItemViewKindTest : public cRefreshedItemViewTest<typename Kind::View> {
 protected:
  cItemViewKindTest()
      : cRefreshedItemViewTest<typename Kind::View>(Kind::Layout(), Kind::requests.get) {}
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_KINDS_H_
