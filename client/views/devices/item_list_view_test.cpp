// What the four item views do alike: a click on a row's check box asks for the opposite of
// the row's state, and a request that cannot be sent leaves an Error entry with the view's
// message. And the row context menu: switches and macros can be marked as tray favourites
// from the row under the mouse (or the selected row), sensors and modes cannot.
#include "client/views/devices/item_list_view.h"

#include <gtest/gtest.h>

#include "client/ui/headless/headless_window.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_modes.h"
#include "client/views/devices/dlg_child_sensors.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_kinds.h"
#include "client/views/testing/item_view_test_support.h"

namespace hv {

namespace {

using Marks = std::vector<std::pair<eFavouriteKind, std::string>>;

using hv::test::cSentRequest;
using hv::test::Macro;
using hv::test::Switch;

using hv::test::MacrosView;
using hv::test::ModesView;
using hv::test::SensorsView;
using hv::test::SwitchesView;

template <class Kind>
class ItemViewsTest : public hv::test::cItemViewKindTest<Kind> {};
using ItemViewKinds = ::testing::Types<SwitchesView, SensorsView, MacrosView, ModesView>;
TYPED_TEST_SUITE(ItemViewsTest, ItemViewKinds);

TYPED_TEST(ItemViewsTest, AClickAsksForTheOppositeStateAndFailedSendsAreReported) {
  auto& h = this->h_;
  const hv::test::cItemViewRequestFacts& facts = TypeParam::requests;
  ASSERT_EQ(hv::test::AddItem(*h.view, "Lit", true).code(), 0);
  ASSERT_EQ(hv::test::AddItem(*h.view, "Dark", false).code(), 0);
  ASSERT_TRUE(h.Checked(0));
  ASSERT_FALSE(h.Checked(1));
  h.ClickBox(0);
  h.ClickBox(1);
  EXPECT_EQ(h.requests.sent, (std::vector<cSentRequest>{{facts.set, "Lit", facts.off},
                                                        {facts.set, "Dark", facts.on}}));

  h.requests.result = hv::kSendFailed;
  h.ClickBox(1);
  h.Refresh();
  ASSERT_EQ(h.owner.entries.size(), 2u);
  EXPECT_EQ(h.owner.entries[0].message, facts.FailureMessage(facts.set_failure));
  EXPECT_EQ(h.owner.entries[1].message, facts.FailureMessage(facts.get_failure));
  EXPECT_EQ(h.owner.entries[1].name, "Connection is lost");
}

template <class View>
cHeadlessWindow& WindowOf(hv::test::cItemViewHarness<View>& h) {
  return static_cast<cHeadlessWindow&>(*h.view->Window());
}

// A right click on a row: the list sees the press where the menu then opens.
template <class View>
void RightClickRow(hv::test::cItemViewHarness<View>& h, int32_t list_id, int32_t row) {
  const cPoint at{30, h.List().RowTop(row) + cHeadlessReportList::kRowHeight / 2};
  h.List().MoveMouse(at);
  ASSERT_TRUE(WindowOf(h).RightClick(list_id, cPoint{at.x + 500, at.y + 300}));
}

TEST(ItemListViewMenuTest, ASwitchRowMarksAndUnmarksItsSwitch) {
  hv::test::cItemViewHarness<CDlgChildSwitches> h(SwitchesViewLayout());
  h.Refresh();
  ASSERT_EQ(h.view->AddSwitch(Switch("Porch", 2)).code(), 0);
  ASSERT_EQ(h.view->AddSwitch(Switch("Hall & Stairs", 3)).code(), 0);

  h.toolkit.QueueMenuAnswer(kFavouriteMenuCommand);
  RightClickRow(h, kSwitchListId, 1);
  ASSERT_EQ(h.toolkit.LastMenuItems().size(), 1u);
  EXPECT_EQ(h.toolkit.LastMenuItems()[0].text, kFavouriteMenuText);
  EXPECT_FALSE(h.toolkit.LastMenuItems()[0].checked);
  EXPECT_EQ(h.favourites.marks, (Marks{{eFavouriteKind::kSwitch, "Hall & Stairs"}}));

  // Open again: the item shows its mark, and choosing it takes the mark away.
  h.toolkit.QueueMenuAnswer(kFavouriteMenuCommand);
  RightClickRow(h, kSwitchListId, 1);
  EXPECT_TRUE(h.toolkit.LastMenuItems()[0].checked);
  EXPECT_TRUE(h.favourites.marks.empty());

  // A dismissed menu changes nothing; the switch itself was never sent anything.
  RightClickRow(h, kSwitchListId, 0);
  EXPECT_TRUE(h.favourites.marks.empty());
  EXPECT_EQ(h.requests.sent.size(), 1u);  // the Get switches of the refresh
}

TEST(ItemListViewMenuTest, AMacroRowMarksItsMacroAndTheKeyboardMenuUsesTheSelection) {
  hv::test::cItemViewHarness<CDlgChildMacros> h(MacrosViewLayout());
  h.Refresh();
  ASSERT_EQ(h.view->AddMacro(Macro("Morning", 2)).code(), 0);
  ASSERT_EQ(h.view->AddMacro(Macro("Night", 3)).code(), 0);
  // The mouse is nowhere over a row: the menu is for the selected one.
  h.List().SetSelected(1, true);
  h.List().MoveMouse(cPoint{-1, -1});
  h.toolkit.QueueMenuAnswer(kFavouriteMenuCommand);
  ASSERT_TRUE(WindowOf(h).RightClick(kMacroListId, cPoint{10, 10}));
  EXPECT_EQ(h.favourites.marks, (Marks{{eFavouriteKind::kMacro, "Night"}}));
}

TEST(ItemListViewMenuTest, NoMenuWithoutARowOrForSensors) {
  hv::test::cItemViewHarness<CDlgChildSwitches> h(SwitchesViewLayout());
  h.Refresh();
  h.List().MoveMouse(cPoint{30, 5});  // over the header, nothing selected
  ASSERT_TRUE(WindowOf(h).RightClick(kSwitchListId, cPoint{10, 10}));
  EXPECT_EQ(h.toolkit.MenusTracked(), 0);

  hv::test::cItemViewHarness<CDlgChildSensors> sensors(SensorsViewLayout());
  sensors.Refresh();
  ASSERT_EQ(sensors.view->AddSensor(hv::test::Sensor("Door", 1)).code(), 0);
  RightClickRow(sensors, kSensorListId, 0);
  EXPECT_EQ(sensors.toolkit.MenusTracked(), 0);
}

}  // namespace

}  // namespace hv
