#include "client/views/devices/dlg_child_macros.h"

#include <gtest/gtest.h>

#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_kinds.h"
#include "client/views/testing/item_view_test_support.h"
#include "client/views/title_label.h"

namespace hv::test {
namespace {

using MacrosViewTest = cItemViewKindTest<MacrosView>;

TEST_F(MacrosViewTest, RowsSummariseTheMacro) {
  const cColumnHeadings expected = {
      {"Status", 73},      {"Macro Name", 150},  {"Description", 150}, {"Startup", 47},
      {"Trigger Qty", 66}, {"Trigger When", 80}, {"Action Qty", 62},   {"Stop Sensor Qty", 93}};
  EXPECT_EQ(ColumnHeadings(h_.List()), expected);
  EXPECT_EQ(h_.List().ImageList(), nullptr);
  EXPECT_STREQ(h_.view->ColumnSettings().ListName().CStr(), "MainMacroList");

  MacroRecord quiet = Macro("Quiet", 1, 1);
  quiet.startup = 0;
  ASSERT_EQ(h_.view->AddMacro(Macro("Morning", 2, 0)).code(), 0);
  ASSERT_EQ(h_.view->AddMacro(quiet).code(), 0);
  ASSERT_EQ(h_.view->AddMacro(Macro("Odd", 4, 7)).code(), 0);
  const char* row0[] = {"Monitoring", "Morning", "desc", "Yes", "2", "Any Active", "4", "1"};
  for (int32_t column = 0; column < 8; ++column) EXPECT_EQ(h_.Text(0, column), row0[column]);
  EXPECT_EQ(h_.Text(1, 0), "Disabled");
  EXPECT_EQ(h_.Text(1, 3), "No");
  EXPECT_EQ(h_.Text(1, 5), "All Active");
  EXPECT_EQ(h_.Text(2, 0), "Unknown type");
  EXPECT_EQ(h_.Text(2, 5), "?");
}

TEST_F(MacrosViewTest, ARunningMacroIsListedUncheckedAndAClickStartsIt) {
  ASSERT_EQ(h_.view->AddMacro(Macro("Water Lawn", 3)).code(), 0);
  EXPECT_EQ(h_.Text(0, 0), "In Progress");
  EXPECT_FALSE(h_.Checked(0));
  h_.ClickBox(0);
  EXPECT_EQ(h_.requests.sent, (std::vector<cSentRequest>{{"SetMacroStatus", "Water Lawn", 3}}));
}

TEST_F(MacrosViewTest, TheBoxFollowsStatusChangesAndAClickOnARunningMacroStopsIt) {
  ASSERT_EQ(h_.view->AddMacro(Macro("Good Night", 2)).code(), 0);
  EXPECT_EQ(h_.view->SetMacroStatus(MacroStatus("Good Night", 3)).code(), 0);
  EXPECT_TRUE(h_.Checked(0));
  EXPECT_EQ(h_.Text(0, 0), "In Progress");
  h_.ClickBox(0);
  EXPECT_EQ(h_.requests.sent, (std::vector<cSentRequest>{{"SetMacroStatus", "Good Night", 2}}));
  EXPECT_EQ(h_.view->SetMacroStatus(MacroStatus("Good Night", 3)).code(), 0);
  EXPECT_EQ(h_.view->SetMacroStatus(MacroStatus("Good Night", 2)).code(), 0);
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_EQ(h_.Text(0, 0), "Monitoring");
  EXPECT_EQ(h_.view->SetMacroStatus(MacroStatus("Good Night", 9)).code(), 0);
  EXPECT_EQ(h_.Text(0, 0), "Unknown type");
}

TEST_F(MacrosViewTest, TheLabelsStretchToTheRightMarginWithTheList) {
  h_.view->MoveChild(cRect{0, 0, 800, 300}, false);
  const cRect list = h_.List().Rect();
  const cRect title = h_.view->Window()->Control(kTitleLabelId)->Rect();
  const cRect info = h_.view->Window()->Control(kMacroInfoLabelId)->Rect();
  EXPECT_EQ(title.right, info.right);
  EXPECT_GT(title.right, list.right);  // the labels end at the margin, past the list's gap
  EXPECT_LT(title.right, 800);
}

}  // namespace
}  // namespace hv::test
