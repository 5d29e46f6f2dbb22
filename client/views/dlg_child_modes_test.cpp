#include "client/views/dlg_child_modes.h"

#include <gtest/gtest.h>

#include "client/views/item_view_layouts.h"
#include "client/views/testing/item_view_test_support.h"

namespace {

using hvtest::cSentRequest;

ModeRecord Mode(const char* name, uint16_t state) {
  ModeRecord record;
  record.name = name;
  record.description = "desc";
  record.state = state;
  return record;
}

ModeStatusRecord Status(const char* name, uint16_t state) {
  ModeStatusRecord record;
  record.name = name;
  record.state = state;
  return record;
}

class ModesViewTest : public hvtest::cRefreshedItemViewTest<CDlgChildModes> {
 protected:
  ModesViewTest() : cRefreshedItemViewTest(ModesViewLayout(), "GetModes") {}
};

TEST_F(ModesViewTest, ModesAreListedUncheckedAndFollowTheirStatus) {
  ASSERT_EQ(h_.List().ColumnCount(), 3);
  EXPECT_STREQ(h_.view->ColumnSettings().ListName().CStr(), "MainModeList");
  ASSERT_EQ(h_.view->AddMode(Mode("Home", 1)), 0);
  ASSERT_EQ(h_.view->AddMode(Mode("Away", 0)), 0);
  EXPECT_EQ(h_.Text(0, 0), "Active");
  EXPECT_EQ(h_.Text(0, 1), "Home");
  EXPECT_EQ(h_.Text(0, 2), "desc");
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_EQ(h_.Text(1, 0), "Inactive");

  EXPECT_EQ(h_.view->SetModeStatus(Status("Away", 1)), 0);
  EXPECT_EQ(h_.Text(1, 0), "Active");
  EXPECT_TRUE(h_.Checked(1));
  EXPECT_EQ(h_.view->SetModeStatus(Status("Away", 2)), 0);
  EXPECT_EQ(h_.Text(1, 0), "Inactive");
  EXPECT_FALSE(h_.Checked(1));
}

TEST_F(ModesViewTest, AClickActivatesAClearModeAndDeactivatesACheckedOne) {
  ASSERT_EQ(h_.view->AddMode(Mode("Home", 1)), 0);
  ASSERT_EQ(h_.view->AddMode(Mode("Away", 0)), 0);
  ASSERT_EQ(h_.view->SetModeStatus(Status("Home", 1)), 0);
  h_.ClickBox(0);
  h_.ClickBox(1);
  EXPECT_EQ(h_.requests.sent, (std::vector<cSentRequest>{{"SetModeStatus", "Home", 0},
                                                         {"SetModeStatus", "Away", 1}}));
  h_.requests.result = hv::kSendFailed;
  h_.ClickBox(1);
  h_.Refresh();
  ASSERT_EQ(h_.owner.entries.size(), 2u);
  EXPECT_EQ(h_.owner.entries[0].message, "Set mode status command not sent successfully");
  EXPECT_EQ(h_.owner.entries[1].message, "Get modes command not sent successfully");
}

}  // namespace
