#include "client/views/devices/dlg_child_modes.h"

#include <gtest/gtest.h>

#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_kinds.h"
#include "client/views/testing/item_view_test_support.h"

namespace hv::test {
namespace {

using ModesViewTest = cItemViewKindTest<ModesView>;

TEST_F(ModesViewTest, ModesAreListedUncheckedAndFollowTheirStatus) {
  ASSERT_EQ(h_.List().ColumnCount(), 3);
  EXPECT_STREQ(h_.view->ColumnSettings().ListName().CStr(), "MainModeList");
  ASSERT_EQ(h_.view->AddMode(Mode("Home", 1)).code(), 0);
  ASSERT_EQ(h_.view->AddMode(Mode("Away", 0)).code(), 0);
  EXPECT_EQ(h_.Text(0, 0), "Active");
  EXPECT_EQ(h_.Text(0, 1), "Home");
  EXPECT_EQ(h_.Text(0, 2), "desc");
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_EQ(h_.Text(1, 0), "Inactive");

  EXPECT_EQ(h_.view->SetModeStatus(ModeStatus("Away", 1)).code(), 0);
  EXPECT_EQ(h_.Text(1, 0), "Active");
  EXPECT_TRUE(h_.Checked(1));
  EXPECT_EQ(h_.view->SetModeStatus(ModeStatus("Away", 2)).code(), 0);
  EXPECT_EQ(h_.Text(1, 0), "Inactive");
  EXPECT_FALSE(h_.Checked(1));
}

}  // namespace
}  // namespace hv::test
