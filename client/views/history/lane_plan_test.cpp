#include "client/views/history/lane_plan.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(LanePlanTest, LanesTakeALineOfTextEachAndScrollBeyondHalfTheChart) {
  // Lanes alone share the chart; ten lanes of 16 px fit in 300 px.
  LanePlan alone = PlanLanes(10, false, 300, 16);
  EXPECT_EQ(alone.share, 1.0);
  EXPECT_EQ(alone.shown, 10);
  EXPECT_FALSE(alone.scrolls());
  EXPECT_EQ(LaneScrollText(alone), "");
  // Under lines, two lanes take two lines of text, not a band of their own.
  LanePlan two = PlanLanes(2, true, 300, 16);
  EXPECT_DOUBLE_EQ(two.share, 32.0 / 300.0);
  EXPECT_EQ(two.shown, 2);
  // Thirty under lines: the lines keep half (nine lanes of 16 px fit in 150), the rest scroll.
  LanePlan many = PlanLanes(30, true, 300, 16);
  EXPECT_EQ(many.shown, 9);
  EXPECT_LE(many.share, 0.5);
  EXPECT_DOUBLE_EQ(many.share, 144.0 / 300.0);
  EXPECT_TRUE(many.scrolls());
  EXPECT_EQ(LaneScrollText(many), "Lanes 1 to 9 of 30");
  // Scrolled: the last lanes shown, never past them, never before the first.
  EXPECT_EQ(PlanLanes(30, true, 300, 16, 5).first, 5);
  EXPECT_EQ(LaneScrollText(PlanLanes(30, true, 300, 16, 100)), "Lanes 22 to 30 of 30");
  EXPECT_EQ(PlanLanes(30, true, 300, 16, -3).first, 0);
  EXPECT_EQ(PlanLanes(30, false, 300, 16, 100).first, 12);
  // A chart too small for even one lane still shows one; no lanes, no plan.
  EXPECT_EQ(PlanLanes(3, true, 10, 16).shown, 1);
  EXPECT_EQ(PlanLanes(0, true, 200, 16).shown, 0);
  EXPECT_FALSE(PlanLanes(0, true, 200, 16).scrolls());
}

}  // namespace
}  // namespace hv::history
