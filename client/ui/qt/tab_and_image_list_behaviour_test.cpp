// What every tab control and image list does, held to the same test in the in-memory toolkit
// and on the real Qt widgets.
#include <gtest/gtest.h>

#include <memory>

#include "client/picture/bitmap.h"
#include "client/ui/image_list.h"
#include "client/ui/qt/testing/both_toolkits.h"
#include "client/ui/tab_control.h"

namespace hv {

namespace {

template <class Rig>
class TabControlTest : public ::testing::Test {
 protected:
  Rig rig_;
  cTabControl& tabs_ = *rig_.Window().TabControl(kRigTabs);
};

using Realisations = ::testing::Types<cHeadlessRig, cQtRig>;
TYPED_TEST_SUITE(TabControlTest, Realisations, cRigNames);

TYPED_TEST(TabControlTest, TabsCarryCaptionsAndValuesAndTheSelectionStaysOnItsTab) {
  cTabControl& tabs = this->tabs_;
  EXPECT_EQ(tabs.Selection(), -1);
  EXPECT_EQ(tabs.InsertTab(0, "Activity Log", 4), 0);
  EXPECT_EQ(tabs.Selection(), 0);  // the first tab is the selected one
  EXPECT_EQ(tabs.InsertTab(9, "Switches", 0), 1);
  EXPECT_EQ(tabs.InsertTab(0, "Porch", 5), 0);
  EXPECT_EQ(tabs.Selection(), 1);  // still "Activity Log"
  EXPECT_EQ(tabs.TabCount(), 3);
  EXPECT_EQ(tabs.TabValue(1), 4u);
  EXPECT_STREQ(tabs.TabCaption(0).CStr(), "Porch");
  EXPECT_EQ(tabs.TabCaption(3).GetLength(), 0u);
  EXPECT_EQ(tabs.TabValue(-1), 0u);

  tabs.Select(2);
  EXPECT_EQ(tabs.Selection(), 2);
  EXPECT_TRUE(tabs.DeleteTab(0));  // before the selected tab
  EXPECT_EQ(tabs.Selection(), 1);
  EXPECT_STREQ(tabs.TabCaption(tabs.Selection()).CStr(), "Switches");
  EXPECT_FALSE(tabs.DeleteTab(2));
  EXPECT_EQ(tabs.TabCount(), 2);
}

TYPED_TEST(TabControlTest, PointsFindTheirTabAndThePagesLieBelowTheTabs) {
  cTabControl& tabs = this->tabs_;
  (void)tabs.InsertTab(0, "Activity Log", 4);
  (void)tabs.InsertTab(1, "Switches", 0);
  EXPECT_EQ(tabs.TabAt(this->rig_.TabCentre(0)), 0);
  EXPECT_EQ(tabs.TabAt(this->rig_.TabCentre(1)), 1);
  const cRect area = tabs.DisplayArea();
  EXPECT_GT(area.top, this->rig_.TabCentre(0).y);
  EXPECT_GT(area.Width(), 0);
  EXPECT_EQ(tabs.TabAt(cPoint{area.left + 1, area.top + 1}), -1);
  EXPECT_EQ(tabs.TabAt(cPoint{-5, -5}), -1);
}

template <class Rig>
class ImageListTest : public ::testing::Test {
 protected:
  Rig rig_;
};

TYPED_TEST_SUITE(ImageListTest, Realisations, cRigNames);

TYPED_TEST(ImageListTest, KeepsPicturesInOrderAndRefusesNone) {
  std::unique_ptr<cImageList> images = this->rig_.Toolkit().CreateImageList(20, 16, 24);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->CellWidth(), 20);
  EXPECT_EQ(images->CellHeight(), 16);
  cBitmap small;
  ASSERT_EQ(small.Allocate(2, 2, 0xFF0000FFu).code(), 0);
  cBitmap large;
  ASSERT_EQ(large.Allocate(80, 60).code(), 0);
  EXPECT_EQ(images->Add(small, 0), 0);
  EXPECT_EQ(images->Add(large, 0xFF00FF), 1);
  EXPECT_EQ(images->Add(cBitmap(), 0), -1);
  EXPECT_EQ(images->Count(), 2);
  EXPECT_TRUE(images->Remove(0));
  EXPECT_FALSE(images->Remove(1));
  EXPECT_FALSE(images->Remove(-1));
  EXPECT_EQ(images->Count(), 1);
}

}  // namespace

}  // namespace hv
