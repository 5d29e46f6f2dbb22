#include "client/views/devices/dlg_child_sensors.h"

#include <gtest/gtest.h>

#include "client/views/devices/item_view_layouts.h"
#include "client/views/testing/item_view_kinds.h"
#include "client/views/testing/item_view_test_support.h"

namespace hv::test {
namespace {

using SensorsViewTest = cItemViewKindTest<SensorsView>;

TEST_F(SensorsViewTest, ColumnsAndPictures) {
  const cColumnHeadings expected = {{"Status", 44},
                                    {"Status Data", 70},
                                    {"Sensor Name", 150},
                                    {"Description", 150},
                                    {"Type", 67}};
  EXPECT_EQ(ColumnHeadings(h_.List()), expected);
  ASSERT_NE(h_.List().ImageList(), nullptr);
  EXPECT_EQ(h_.List().ImageList()->Count(), 5);
  EXPECT_STREQ(h_.view->ColumnSettings().ListName().CStr(), "MainSensorList");
  struct Case {
    uint32_t type, io_kind;
    int32_t image;
  } cases[] = {{1, 9, 3},  {2, 0, 0}, {2, 1, 1},  {2, 2, 2}, {2, 3, 3},
               {2, 10, 3}, {2, 9, 4}, {2, 44, 4}, {7, 2, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(CDlgChildSensors::ImageIndex(c.type, c.io_kind), c.image)
        << "type " << c.type << " io kind " << c.io_kind;
  }
  EXPECT_STREQ(CDlgChildSensors::TypeText(1), "X10 Sensor");
  EXPECT_STREQ(CDlgChildSensors::TypeText(2), "IO Sensor");
  EXPECT_STREQ(CDlgChildSensors::TypeText(3), "Undefined");
}

TEST_F(SensorsViewTest, ActiveCodesCheckTheBox) {
  for (uint32_t code = 0; code < 40; ++code) {
    const bool active = code == 2 || code == 4 || code == 20 || code == 22 || code == 30 ||
                        code == 34 || code == 36;
    EXPECT_EQ(CDlgChildSensors::IsActive(code), active) << "code " << code;
  }
  // A sensor listed open starts checked, as it would after a status change to open.
  ASSERT_EQ(h_.view->AddSensor(Sensor("Door", 20)).code(), 0);
  EXPECT_TRUE(h_.Checked(0));
  EXPECT_EQ(h_.Text(0, 0), "Door/Window Open (Min)");
  EXPECT_EQ(h_.view->SetSensorStatus(StatusChange("Door", 21)).code(), 0);
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_EQ(h_.view->SetSensorStatus(StatusChange("Door", 20)).code(), 0);
  EXPECT_TRUE(h_.Checked(0));
}

TEST_F(SensorsViewTest, MotionChecksAndMotionStoppedClears) {
  ASSERT_EQ(h_.view->AddSensor(Sensor("Hall Motion", 37)).code(), 0);
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_EQ(h_.view->SetSensorStatus(StatusChange("Hall Motion", 36)).code(), 0);
  EXPECT_TRUE(h_.Checked(0));
  EXPECT_EQ(h_.Text(0, 0), "Motion");
  EXPECT_EQ(h_.view->SetSensorStatus(StatusChange("Hall Motion", 37)).code(), 0);
  EXPECT_FALSE(h_.Checked(0));
  EXPECT_EQ(h_.Text(0, 0), "Motion Stopped");
}

TEST_F(SensorsViewTest, ReadingsShowTrimmedAndFollowStatusChanges) {
  ASSERT_EQ(h_.view->AddSensor(Sensor("Living Room Temp", 17, 21.5, 2, 2)).code(), 0);
  ASSERT_EQ(h_.view->AddSensor(Sensor("Other", 17, 8.0, 2, 2)).code(), 0);
  EXPECT_EQ(h_.Text(0, 1), "21.5");
  EXPECT_EQ(h_.Text(0, 0), "Temperature");
  EXPECT_EQ(h_.Text(0, 4), "IO Sensor");
  EXPECT_EQ(h_.view->SetSensorStatus(StatusChange("Living Room Temp", 17, 22.0)).code(), 0);
  EXPECT_EQ(h_.Text(0, 1), "22");
  EXPECT_EQ(h_.Text(1, 1), "8");
}

}  // namespace
}  // namespace hv::test
