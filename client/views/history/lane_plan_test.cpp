#include "client/views/history/lane_plan.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(LanePlanTest, LanesGetRoomForTheirLabelsAndNameEveryFewWhenThereIsNone) {
  // Lanes alone fill the chart; ten labels of 16 px fit in 300 px.
  EXPECT_EQ(PlanLanes(10, false, 300, 16).share, 1.0);
  EXPECT_EQ(PlanLanes(10, false, 300, 16).label_every, 1);
  // Under lines, two lanes take a band of their own...
  EXPECT_DOUBLE_EQ(PlanLanes(2, true, 300, 16).share, 0.24);
  EXPECT_EQ(PlanLanes(2, true, 300, 16).label_every, 1);
  // ...and ten take what their labels need (160 of 300 px), not a crowded half.
  EXPECT_NEAR(PlanLanes(10, true, 300, 16).share, 160.0 / 300.0, 1e-9);
  EXPECT_EQ(PlanLanes(10, true, 300, 16).label_every, 1);
  // Thirty in a small chart: the lines keep a quarter, and every fourth lane is named.
  EXPECT_DOUBLE_EQ(PlanLanes(30, true, 200, 16).share, 0.75);
  EXPECT_EQ(PlanLanes(30, true, 200, 16).label_every, 4);
  EXPECT_EQ(PlanLanes(30, false, 200, 16).label_every, 3);
  EXPECT_EQ(PlanLanes(0, true, 200, 16).label_every, 1);
}

}  // namespace
}  // namespace hv::history
