// Tray favourites against housesim over loopback TCP: a switch and a macro are marked from
// their rows' menus, the tray menu lists them with check marks that follow the server's
// status answers, and choosing one there switches it on the server. housesim runs in-process
// on the client's event loop; the client's clock is a fake one.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/shell/tray/tray_favourites.h"
#include "client/shell/tray/tray_resources.h"
#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_tray_area.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "core/profile/profile.h"
#include "sim/house.h"
#include "tests/headless_desk_session.h"

namespace hv {

namespace {

class TrayFavouritesSessionTest : public hv::test::DeskSessionTest {
 protected:
  TrayFavouritesSessionTest() : DeskSessionTest(/*desktop_has_tray=*/true) {}
  void SetUp() override {
    DeskSessionTest::SetUp();
    ASSERT_EQ(sim_->start_error, "");
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_NE(Dlg(), nullptr);
  }

  // The row of the view's list whose name column holds `name`, or -1.
  static int32_t RowNamed(cItemListView& view, int32_t name_column, const std::string& name) {
    for (int32_t row = 0; row < view.RowCount(); ++row) {
      if (view.List()->CellText(row, name_column).CStr() == name) return row;
    }
    return -1;
  }
  // The user marks the row as a favourite through its context menu.
  void MarkRow(cItemListView& view, int32_t list_id, int32_t row) {
    auto& list = static_cast<cHeadlessReportList&>(*view.List());
    const cPoint at{30, list.RowTop(row) + cHeadlessReportList::kRowHeight / 2};
    list.MoveMouse(at);
    toolkit_.QueueMenuAnswer(kFavouriteMenuCommand);
    ASSERT_TRUE(static_cast<cHeadlessWindow&>(*view.Window()).RightClick(list_id, at));
  }
  // Opens the tray menu (choosing `command`, or nothing) and returns its items.
  std::vector<cHeadlessPopupMenu::cItem> TrayMenu(int32_t command = 0) {
    if (command != 0) toolkit_.QueueMenuAnswer(command);
    EXPECT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
    return toolkit_.LastMenuItems();
  }
  bool TrayChecked(size_t index) {
    const auto items = TrayMenu();
    return index < items.size() && items[index].checked;
  }
};

TEST_F(TrayFavouritesSessionTest, TheTrayMenuSwitchesFavouritesAndFollowsTheServer) {
  auto* switches = Tabbed<CDlgChildSwitches>("Switches");
  auto* macros = Tabbed<CDlgChildMacros>("Macros");
  ASSERT_NE(switches, nullptr);
  ASSERT_NE(macros, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return switches->RowCount() > 0 && macros->RowCount() > 0; }));

  const std::string switch_name = sim_->house.data().switches[0].name;
  const std::string macro_name = sim_->house.data().macros[0].name;
  const int32_t switch_row = RowNamed(*switches, 2, switch_name);
  const int32_t macro_row = RowNamed(*macros, 1, macro_name);
  ASSERT_GE(switch_row, 0);
  ASSERT_GE(macro_row, 0);
  MarkRow(*switches, kSwitchListId, switch_row);
  MarkRow(*macros, kMacroListId, macro_row);

  // Both head the tray menu, enabled, with the status the server listed them with.
  auto items = TrayMenu();
  ASSERT_EQ(items.size(), 8u);  // the two, a separator, the four entries and History...
  EXPECT_STREQ(items[0].text.CStr(), switch_name.c_str());
  EXPECT_STREQ(items[1].text.CStr(), macro_name.c_str());
  EXPECT_TRUE(items[0].enabled);
  const bool was_on = switches->List()->GetCheck(switch_row);
  EXPECT_EQ(items[0].checked, was_on);
  EXPECT_FALSE(items[1].checked);

  // Choosing the switch switches it on the server; the status answer moves the mark.
  (void)TrayMenu(items[0].command);
  ASSERT_TRUE(PumpUntil([&] { return TrayChecked(0) != was_on; }));
  EXPECT_EQ(CDlgChildSwitches::IsOn(sim_->house.data().switches[0].status), !was_on);
  EXPECT_EQ(switches->List()->GetCheck(switch_row), !was_on);

  // The macro starts, and the mark shows it running.
  (void)TrayMenu(items[1].command);
  ASSERT_TRUE(PumpUntil([&] { return TrayChecked(1); }));
  EXPECT_EQ(sim_->house.data().macros[0].status, static_cast<uint32_t>(kMacroInProgress));

  // The marks are kept for the next run.
  cTrayFavourites next;
  next.Load("Orvane LLC", "Varnholt");
  EXPECT_EQ(next.Favourites().size(), 2u);
}

}  // namespace

}  // namespace hv
