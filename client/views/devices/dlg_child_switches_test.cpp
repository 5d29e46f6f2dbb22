#include "client/views/devices/dlg_child_switches.h"

#include <gtest/gtest.h>

#include "client/protocol/request_failures.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_kinds.h"
#include "client/views/testing/item_view_test_support.h"
#include "core/profile/profile.h"

namespace hv::test {
namespace {

using SwitchesViewTest = cItemViewKindTest<SwitchesView>;

TEST_F(SwitchesViewTest, InitialisationBuildsTheListAndHidesTheSideButtons) {
  EXPECT_TRUE(h_.view->Initialised());
  EXPECT_EQ(h_.view->Kind(), ViewKind::kSwitches);
  cHeadlessReportList& list = h_.List();
  const cColumnHeadings expected = {{"Status", 45},
                                    {"Status Data", 75},
                                    {"Switch Name", 150},
                                    {"Description", 150},
                                    {"Type", 94}};
  EXPECT_EQ(ColumnHeadings(list), expected);
  EXPECT_EQ(list.ListStyles(),
            kListCheckBoxes | kListFullRowSelect | kListHeaderDragDrop | kListShowSelectionAlways);
  ASSERT_NE(list.ImageList(), nullptr);
  EXPECT_EQ(list.ImageList()->Count(), 5);
  EXPECT_EQ(list.ImageList()->CellWidth(), 20);
  EXPECT_EQ(list.ImageList()->CellHeight(), 16);
  for (int32_t id : kSideButtonIds) EXPECT_FALSE(h_.view->Window()->Control(id)->IsVisible());
  EXPECT_STREQ(h_.view->ColumnSettings().ListName().CStr(), "MainSwitchList");
  // The list fills the view but for the strip of the (hidden) side buttons.
  const cRect list_rect = list.Rect();
  EXPECT_EQ(list_rect.left, 0);
  EXPECT_LT(list_rect.right, 600);
  EXPECT_EQ(list_rect.bottom, 300);
}

TEST_F(SwitchesViewTest, RowsShowTheSwitchAsListed) {
  EXPECT_EQ(h_.view->AddSwitch(Switch("Porch", 2, 0.0, 1)).code(), 0);
  EXPECT_EQ(h_.view->AddSwitch(Switch("Lamp", 4, 75.5, 2, 1)).code(), 0);
  EXPECT_EQ(h_.view->AddSwitch(Switch("Fan", 10, 0.0, 3)).code(), 0);
  EXPECT_EQ(h_.view->AddSwitch(Switch("Odd", 3, -3.0, 9)).code(), 0);
  ASSERT_EQ(h_.view->RowCount(), 4);

  EXPECT_EQ(h_.Text(0, 0), "On");
  EXPECT_EQ(h_.Text(0, 1), "0");
  EXPECT_EQ(h_.Text(0, 2), "Porch");
  EXPECT_EQ(h_.Text(0, 3), "desc");
  EXPECT_EQ(h_.Text(0, 4), "X10 Switch");
  EXPECT_TRUE(h_.Checked(0));

  EXPECT_EQ(h_.Text(1, 0), "Dim");
  EXPECT_EQ(h_.Text(1, 1), "75.5");
  EXPECT_EQ(h_.Text(1, 4), "IO Switch");
  EXPECT_TRUE(h_.Checked(1));  // Dim counts as on

  EXPECT_EQ(h_.Text(2, 0), "Preset Dim");
  EXPECT_EQ(h_.Text(2, 4), "IO Paddle Switch");
  EXPECT_FALSE(h_.Checked(2));  // Preset Dim does not

  EXPECT_EQ(h_.Text(3, 1), "-3");
  EXPECT_EQ(h_.Text(3, 4), "Undefined");
  EXPECT_EQ(h_.List().RowImage(0), 2);
  EXPECT_EQ(h_.List().RowImage(1), 1);
  EXPECT_EQ(h_.List().RowImage(2), 4);
  EXPECT_EQ(h_.List().RowImage(3), 0);
}

TEST(SwitchesImageTest, ImageFollowsTypeAndIoKind) {
  struct Case {
    uint32_t type, io_kind;
    int32_t image;
  } cases[] = {{1, 0, 2}, {1, 77, 2}, {2, 0, 0},  {2, 1, 1}, {2, 2, 3}, {2, 3, 2}, {2, 8, 2},
               {2, 9, 3}, {2, 10, 2}, {2, 11, 3}, {3, 5, 4}, {0, 1, 0}, {4, 3, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(CDlgChildSwitches::ImageIndex(c.type, c.io_kind), c.image)
        << "type " << c.type << " io kind " << c.io_kind;
  }
}

TEST_F(SwitchesViewTest, StatusChangesReachEveryRowOfThatExactNameOnly) {
  ASSERT_EQ(h_.view->AddSwitch(Switch("Hall", 3)).code(), 0);
  ASSERT_EQ(h_.view->AddSwitch(Switch("hall", 3)).code(), 0);
  ASSERT_EQ(h_.view->AddSwitch(Switch("Hall", 3, 12.0)).code(), 0);

  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange("Hall", 4, 50.0)).code(), 0);
  EXPECT_EQ(h_.Text(0, 0), "Dim");
  EXPECT_TRUE(h_.Checked(0));
  EXPECT_EQ(h_.Text(2, 0), "Dim");
  EXPECT_TRUE(h_.Checked(2));
  EXPECT_EQ(h_.Text(2, 1), "12");   // a switch's status change leaves Status Data alone
  EXPECT_EQ(h_.Text(1, 0), "Off");  // names match case-sensitively
  EXPECT_FALSE(h_.Checked(1));

  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange("Hall", 10)).code(), 0);
  EXPECT_EQ(h_.Text(0, 0), "Preset Dim");
  EXPECT_FALSE(h_.Checked(0));

  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange("Nowhere", 2)).code(), 0);
  EXPECT_EQ(h_.Text(1, 0), "Off");
  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange("Hal", 2)).code(), 0);
  EXPECT_FALSE(h_.Checked(0));
}

TEST_F(SwitchesViewTest, ItemsAreTakenOnlyBetweenARequestAndTheEndOfTheList) {
  ASSERT_EQ(h_.view->AddSwitch(Switch("One", 2)).code(), 0);
  EXPECT_EQ(h_.view->AddSwitch(Switch("", 0)).code(), 1);  // the end of the list
  EXPECT_FALSE(h_.view->Accepting());
  EXPECT_EQ(h_.view->AddSwitch(Switch("Late", 2)).code(), 1);
  EXPECT_EQ(h_.view->RowCount(), 1);

  h_.Refresh();  // a refresh empties the list and takes items again
  EXPECT_EQ(h_.view->RowCount(), 0);
  EXPECT_EQ(h_.view->AddSwitch(Switch("Again", 2)).code(), 0);
  EXPECT_EQ(h_.view->RowCount(), 1);
  // The rows of the list before do not answer status changes any more.
  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange("One", 3)).code(), 0);
  EXPECT_EQ(h_.Text(0, 2), "Again");
  EXPECT_TRUE(h_.Checked(0));
}

TEST_F(SwitchesViewTest, AClickOnTheBoxAsksForTheOppositeState) {
  ASSERT_EQ(h_.view->AddSwitch(Switch("Lit", 2)).code(), 0);
  ASSERT_EQ(h_.view->AddSwitch(Switch("Dark", 3)).code(), 0);

  h_.ClickBox(0);
  h_.ClickBox(1);
  EXPECT_EQ(h_.requests.sent, (std::vector<cSentRequest>{{"SetSwitchStatus", "Lit", 3},
                                                         {"SetSwitchStatus", "Dark", 2}}));
  // The boxes show what the click made of them until the server answers.
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_TRUE(h_.Checked(1));
  h_.requests.sent.clear();

  // The space bar (or the accessibility interface) on a row does what a click does.
  h_.List().ToggleFromKeyboard(1);
  EXPECT_EQ(h_.requests.sent, (std::vector<cSentRequest>{{"SetSwitchStatus", "Dark", 3}}));
  h_.requests.sent.clear();

  // A click elsewhere on the row sends nothing.
  h_.List().ClickAt(cPoint{h_.List().ColumnLeft(2) + 10, h_.List().RowTop(0) + 8});
  EXPECT_TRUE(h_.requests.sent.empty());
  EXPECT_TRUE(h_.owner.entries.empty());
}

TEST_F(SwitchesViewTest, NamesGoBackByteForByte) {
  // Windows-1252 "Küche" and a UTF-8 name: neither is re-encoded on the way back.
  const char latin[] =
      "K\xFC"
      "che";
  const char utf8[] = "Caf\xC3\xA9";
  ASSERT_EQ(h_.view->AddSwitch(Switch(latin, 3)).code(), 0);
  ASSERT_EQ(h_.view->AddSwitch(Switch(utf8, 3)).code(), 0);
  h_.ClickBox(0);
  h_.ClickBox(1);
  ASSERT_EQ(h_.requests.sent.size(), 2u);
  EXPECT_EQ(h_.requests.sent[0].name, std::string(latin));
  EXPECT_EQ(h_.requests.sent[1].name, std::string(utf8));
  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange(latin, 2)).code(), 0);
  EXPECT_EQ(h_.Text(0, 0), "On");
  EXPECT_EQ(h_.Text(1, 0), "Off");
}

TEST_F(SwitchesViewTest, ARefreshWhileTheClickIsBeingSentLeavesTheSentNameIntact) {
  ASSERT_EQ(h_.view->AddSwitch(Switch("Garden Fountain", 3)).code(), 0);
  // The send waits for the socket and the events it runs start a refresh, which frees
  // every row's name.
  h_.requests.while_sending = [&] {
    h_.requests.while_sending = nullptr;
    h_.Refresh();
  };
  h_.ClickBox(0);
  ASSERT_EQ(h_.requests.sent.size(), 2u);
  EXPECT_EQ(h_.requests.sent[0], (cSentRequest{"GetSwitches", "", 0}));
  EXPECT_EQ(h_.requests.sent[1], (cSentRequest{"SetSwitchStatus", "Garden Fountain", 2}));
  EXPECT_EQ(h_.view->RowCount(), 0);
}

TEST_F(SwitchesViewTest, FailedSendsAreReportedAndWithoutConnectionNothingIsSent) {
  ASSERT_EQ(h_.view->AddSwitch(Switch("Lit", 2)).code(), 0);

  h_.requests.result = hv::kSendFailed;
  h_.ClickBox(0);
  ASSERT_EQ(h_.owner.entries.size(), 1u);
  EXPECT_EQ(h_.owner.entries[0].entry_type, 3);
  EXPECT_EQ(h_.owner.entries[0].name, "Connection is lost");
  EXPECT_EQ(h_.owner.entries[0].message, "Set switch status not sent successfully");
  EXPECT_EQ(h_.owner.entries[0].function_code, 254);

  h_.Refresh();  // a failed refresh leaves the list empty and takes no items
  ASSERT_EQ(h_.owner.entries.size(), 2u);
  EXPECT_EQ(h_.owner.entries[1].message, "Set switches command not sent successfully");
  EXPECT_EQ(h_.view->RowCount(), 0);
  EXPECT_FALSE(h_.view->Accepting());
  EXPECT_EQ(h_.view->AddSwitch(Switch("After", 2)).code(), 1);

  h_.requests.result = hv::kOk;
  h_.requests.connected = false;
  h_.requests.sent.clear();
  h_.Refresh();
  EXPECT_TRUE(h_.requests.sent.empty());
  EXPECT_EQ(h_.owner.entries.size(), 2u);
}

TEST_F(SwitchesViewTest, ClosingSavesTheColumnsUnderTheListName) {
  ASSERT_EQ(h_.view->AddSwitch(Switch("Lit", 2)).code(), 0);
  h_.List().SetColumnWidth(2, 222);
  h_.view->CloseChild(0);
  EXPECT_EQ(h_.view->RowCount(), 0);
  uint32_t width = 0;
  EXPECT_TRUE(ReadProfileNumber("Orvane LLC", "Varnholt", "ListBoxes",
                                "MainSwitchList Width Switch Name", &width, 0)
                  .ok());
  EXPECT_EQ(width, 222u);
  // A status change after the close finds no row and does no harm.
  EXPECT_EQ(h_.view->SetSwitchStatus(StatusChange("Lit", 3)).code(), 0);
}

TEST(SwitchesTopPaneTest, TheTopPaneKeepsItsColumnsApart) {
  cItemViewHarness<CDlgChildSwitches> top(SwitchesViewLayout(), kPlacementTop);
  EXPECT_STREQ(top.view->ColumnSettings().ListName().CStr(), "MainSwitchListTop");
}

TEST(SwitchesUninitialisedTest, AViewWithoutItsWindowTakesNothing) {
  cRecordingItemViewRequests requests;
  cItemViewServices services;
  services.requests = &requests;
  CDlgChildSwitches view(kPlacementTab, services);
  EXPECT_EQ(view.AddSwitch(Switch("A", 2)).code(), 1);
  EXPECT_EQ(view.SetSwitchStatus(StatusChange("A", 2)).code(), 1);
  EXPECT_TRUE(view.RequestSwitches().ok());
  EXPECT_EQ(view.AddSwitch(Switch("A", 2)).code(), 1);
  EXPECT_TRUE(view.OnListCheck(0, kSwitchListId).Is(Where::kUi, hv::kNotFound));
}

}  // namespace
}  // namespace hv::test
