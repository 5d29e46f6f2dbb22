// The four item views as the tests of what they do alike see them, and a test fixture for
// any one of them that has asked for its list once.
#ifndef HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_KINDS_H_
#define HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_KINDS_H_

#include <cstdint>

#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_test_support.h"

namespace hv {

namespace test {

// How each view lists an item that its box shows checked (on) and one it shows clear (off),
// what its requests are called, what a click sends to turn an item on and off, and the
// messages of its failures.
struct SwitchesView {
  using View = CDlgChildSwitches;
  static cDialogLayout Layout() { return SwitchesViewLayout(); }
  static constexpr const char* kGet = "GetSwitches";
  static constexpr const char* kSet = "SetSwitchStatus";
  static constexpr uint32_t kOn = 2, kOff = 3;
  static constexpr const char* kGetFailure = "Set switches command not sent successfully";
  static constexpr const char* kSetFailure = "Set switch status not sent successfully";
  static Status AddOn(View& view, const char* name) {
    return view.AddSwitch(hv::test::Switch(name, 2));
  }
  static Status AddOff(View& view, const char* name) {
    return view.AddSwitch(hv::test::Switch(name, 3));
  }
};

struct SensorsView {
  using View = CDlgChildSensors;
  static cDialogLayout Layout() { return SensorsViewLayout(); }
  static constexpr const char* kGet = "GetSensors";
  static constexpr const char* kSet = "SetSensorStatus";
  static constexpr uint32_t kOn = 2, kOff = 3;
  static constexpr const char* kGetFailure = "Get sensors command not sent successfully";
  static constexpr const char* kSetFailure = "Set sensor status not sent successfully";
  // Motion, and Motion Stopped.
  static Status AddOn(View& view, const char* name) {
    return view.AddSensor(hv::test::Sensor(name, 36));
  }
  static Status AddOff(View& view, const char* name) {
    return view.AddSensor(hv::test::Sensor(name, 37));
  }
};

// Macros and modes are listed clear whatever their state; only a status change checks them.
struct MacrosView {
  using View = CDlgChildMacros;
  static cDialogLayout Layout() { return MacrosViewLayout(); }
  static constexpr const char* kGet = "GetMacros";
  static constexpr const char* kSet = "SetMacroStatus";
  static constexpr uint32_t kOn = 3, kOff = 2;  // started, and back to monitoring
  static constexpr const char* kGetFailure = "Get macros command not sent successfully";
  static constexpr const char* kSetFailure = "Set macro status command not sent successfully";
  static Status AddOn(View& view, const char* name) {
    Status added = view.AddMacro(hv::test::Macro(name, 2));
    return !added.ok() ? added : view.SetMacroStatus(hv::test::MacroStatus(name, 3));
  }
  static Status AddOff(View& view, const char* name) {
    return view.AddMacro(hv::test::Macro(name, 2));
  }
};

struct ModesView {
  using View = CDlgChildModes;
  static cDialogLayout Layout() { return ModesViewLayout(); }
  static constexpr const char* kGet = "GetModes";
  static constexpr const char* kSet = "SetModeStatus";
  static constexpr uint32_t kOn = 1, kOff = 0;
  static constexpr const char* kGetFailure = "Get modes command not sent successfully";
  static constexpr const char* kSetFailure = "Set mode status command not sent successfully";
  static Status AddOn(View& view, const char* name) {
    Status added = view.AddMode(hv::test::Mode(name, 1));
    return !added.ok() ? added : view.SetModeStatus(hv::test::ModeStatus(name, 1));
  }
  static Status AddOff(View& view, const char* name) {
    return view.AddMode(hv::test::Mode(name, 0));
  }
};

// A test of one kind of view, its list asked for once before each test.
template <class Kind>
class cItemViewKindTest : public cRefreshedItemViewTest<typename Kind::View> {
 protected:
  cItemViewKindTest() : cRefreshedItemViewTest<typename Kind::View>(Kind::Layout(), Kind::kGet) {}
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TESTING_ITEM_VIEW_KINDS_H_
