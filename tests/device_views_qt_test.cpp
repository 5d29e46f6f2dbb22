// The switches, sensors, macros and modes views in the real Qt window (offscreen) against
// housesim: every item of the demo house is listed, and real clicks on the check boxes
// switch a switch, start a macro and set a mode, each row following the server's answer.
// housesim runs in-process on the client's Qt event loop, on a clock of its own that the
// test moves, so a macro's run ends without waiting for it.
#include <gtest/gtest.h>

#include <QTableView>
#include <QTest>
#include <functional>
#include <string>

#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_report_list.h"
#include "client/ui/qt/qt_tab_control.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/testing/check_box_centre.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/testing/fixed_tabs.h"
#include "core/profile/profile.h"
#include "sim/house.h"
#include "sim/server.h"
#include "sim/sim_clock.h"
#include "tests/desk_session_support.h"
#include "tests/in_process_sim.h"
#include "tests/qt_program_parts.h"

namespace hv {

namespace {

class DeviceViewsQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sim_.start_error, "");
    // The server answers whenever the client's loop runs, as a server process would.
    server_timer_ = qt_.loop.StartTimer(1, [this] { sim_.server.RunOnce(0); });
    hv::test::WriteAutoLogin(sim_.server.port());
    app_ = std::make_unique<CHouseDeskApp>(qt_.Environment());
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_NE(Dlg(), nullptr);
  }
  void TearDown() override {
    if (app_ != nullptr) app_->ExitInstance();
    app_.reset();
    qt_.loop.StopTimer(server_timer_);
  }

  CHouseDeskDlg* Dlg() { return hv::test::MainDlg(*app_); }
  template <class View>
  View* Tabbed(const char* name) {
    return hv::test::TabbedView<View>(*app_, name);
  }
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 3000; ++i) {
      qt_.loop.Pump(2);
      if (done()) return true;
    }
    return false;
  }

  // Brings the fixed tab of a kind of view to the front with a real click on the tab bar.
  void ShowTab(ViewKind kind) {
    auto* tabs = dynamic_cast<cQtTabControl*>(Dlg()->Window()->TabControl(desk::kTabControl));
    ASSERT_NE(tabs, nullptr);
    const int32_t index = hv::test::TabIndexOfKind(*tabs, kind);
    ASSERT_GE(index, 0) << "no tab " << RowOfKind(kind).caption;
    QTest::mouseClick(tabs->Bar(), Qt::LeftButton, Qt::NoModifier,
                      tabs->Bar()->tabRect(index).center());
    qt_.loop.Pump(0);
  }

  // A real click on the check box of the row whose name column holds `name`.
  void ClickBox(cItemListView& view, int32_t name_column, const char* name) {
    auto* list = dynamic_cast<cQtReportList*>(view.List());
    ASSERT_NE(list, nullptr);
    int32_t row = -1;
    for (int32_t i = 0; i < list->RowCount(); ++i) {
      if (list->CellText(i, name_column) == swString(name)) row = i;
    }
    ASSERT_GE(row, 0) << name;
    QTableView* tree = list->View();
    ASSERT_TRUE(tree->isVisible());
    tree->scrollTo(tree->model()->index(row, 0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, CheckBoxCentre(tree, row));
  }

  // On the view's tab, the row named `name` reads `before` in its status column; a real click
  // on its box makes it read `after` with the box ticked. *row is the row.
  void TickBox(cItemListView& view, int32_t name_column, const char* name, const char* before,
               const char* after, int32_t* row) {
    ASSERT_NO_FATAL_FAILURE(ShowTab(view.Kind()));
    *row = RowNamed(view, name_column, name);
    ASSERT_GE(*row, 0) << name;
    EXPECT_EQ(Cell(view, *row, 0), before);
    ASSERT_NO_FATAL_FAILURE(ClickBox(view, name_column, name));
    ASSERT_TRUE(PumpUntil([&] { return Cell(view, *row, 0) == after; })) << name;
    EXPECT_TRUE(view.List()->GetCheck(*row)) << name;
  }

  static std::string Cell(cItemListView& view, int32_t row, int32_t column) {
    return view.List()->CellText(row, column).CStr();
  }
  // Row by row, the view's `column` names the server's items in the server's order.
  template <class Items>
  static void ExpectNamesInOrder(cItemListView& view, int32_t column, const Items& items) {
    for (size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(Cell(view, static_cast<int32_t>(i), column), items[i].name) << "row " << i;
    }
  }
  static int32_t RowNamed(cItemListView& view, int32_t column, const std::string& name) {
    for (int32_t i = 0; i < view.RowCount(); ++i) {
      if (Cell(view, i, column) == name) return i;
    }
    return -1;
  }

  hv::test::cTemporaryUserFolders folders_;
  hv::test::cSimServer sim_;
  hv::test::cQtParts qt_;
  cEventLoop::TimerId server_timer_ = 0;
  std::unique_ptr<CHouseDeskApp> app_;
};

TEST_F(DeviceViewsQtTest, EveryItemOfTheHouseIsListedAndTheBoxesSwitchItThroughTheServer) {
  auto* switches = Tabbed<CDlgChildSwitches>("Switches");
  auto* sensors = Tabbed<CDlgChildSensors>("Sensors");
  auto* macros = Tabbed<CDlgChildMacros>("Macros");
  auto* modes = Tabbed<CDlgChildModes>("Modes");
  ASSERT_TRUE(switches != nullptr && sensors != nullptr && macros != nullptr && modes != nullptr);
  const hv::sim::HouseData& house = sim_.house.data();
  ASSERT_TRUE(PumpUntil([&] {
    return switches->RowCount() == static_cast<int32_t>(house.switches.size()) &&
           sensors->RowCount() == static_cast<int32_t>(house.sensors.size()) &&
           macros->RowCount() == static_cast<int32_t>(house.macros.size()) &&
           modes->RowCount() == static_cast<int32_t>(house.modes.size()) &&
           !switches->Accepting() && !sensors->Accepting() && !macros->Accepting() &&
           !modes->Accepting();
  }));
  ExpectNamesInOrder(*switches, 2, house.switches);
  ExpectNamesInOrder(*sensors, 2, house.sensors);
  ExpectNamesInOrder(*macros, 1, house.macros);
  ExpectNamesInOrder(*modes, 1, house.modes);
  const int32_t temp = RowNamed(*sensors, 2, "Living Room Temp");
  ASSERT_GE(temp, 0);
  EXPECT_EQ(Cell(*sensors, temp, 1), "21.5");

  // A switch that is off: its box asks housesim to turn it on, and the row follows.
  int32_t porch = -1;
  ASSERT_NO_FATAL_FAILURE(TickBox(*switches, 2, "Porch Light", "Off", "On", &porch));
  EXPECT_EQ(house.switches[static_cast<size_t>(porch)].status, hv::sim::kOn);

  // A macro started from its box is in progress until housesim's run ends.
  int32_t morning = -1;
  ASSERT_NO_FATAL_FAILURE(
      TickBox(*macros, 1, "Good Morning", "Monitoring", "In Progress", &morning));
  sim_.clock.Advance(house.macros[static_cast<size_t>(morning)].run_ms + 1000);
  ASSERT_TRUE(PumpUntil([&] { return Cell(*macros, morning, 0) == "Monitoring"; }));
  EXPECT_FALSE(macros->List()->GetCheck(morning));

  // A mode set from its box becomes active.
  int32_t away = -1;
  ASSERT_NO_FATAL_FAILURE(TickBox(*modes, 1, "Away", "Inactive", "Active", &away));
  EXPECT_TRUE(house.modes[static_cast<size_t>(away)].active);
}

}  // namespace

}  // namespace hv
