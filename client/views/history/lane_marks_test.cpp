#include "client/views/history/lane_marks.h"

#include <gtest/gtest.h>

#include "client/views/history/history_range.h"

namespace hv::history {
namespace {

constexpr int64_t kHour = 3'600'000;

// A door open for ten seconds at noon, in a day of 1,000 columns: after the reduction a
// column of 86 s with a sliver of on-time.
TEST(LaneMarksTest, ABriefOnShowsTwoColumnsWideAndItsTipSaysWhenAndHowLong) {
  const int64_t day = *ParseLocalTime("2026-03-10");
  const int64_t open = *ParseLocalTime("2026-03-10 12:00:05");
  PixelReduction reduction(day, day + 24 * kHour, 1000);
  reduction.AddPoints({{open, 2, 0.0}, {open + 10'000, 3, 0.0}}, ItemKind::kSwitch, day,
                      day + 24 * kHour, nullptr);
  const std::vector<PixelColumn>& columns = reduction.columns();
  const int32_t at = reduction.ColumnOf(open);
  std::vector<LaneCell> cells = LaneCells(columns);
  ASSERT_EQ(cells.size(), columns.size());
  EXPECT_EQ(cells[at].fill, kLeastOnFill);
  EXPECT_EQ(cells[at + 1].fill, kLeastOnFill);  // drawn two wide
  EXPECT_EQ(cells[at + 1].source, at);
  EXPECT_EQ(cells[at - 1].fill, 0.0);
  EXPECT_EQ(cells[at + 2].fill, 0.0);
  EXPECT_EQ(LaneTip(columns, cells, at), "on for 10 s from 12:00:05");
  EXPECT_EQ(LaneTip(columns, cells, at + 1), "on for 10 s from 12:00:05");
  EXPECT_EQ(LaneTip(columns, cells, at + 2), "off");
  EXPECT_EQ(LaneTip(columns, cells, 5000), "");

  // Off, on, on 0.3 of a column, off; steps only where the fill changes.
  std::vector<PixelColumn> lane(6);
  lane[1] = {false, 0, 0, 1.0, true, 60'000, day, 1};
  lane[2] = {false, 0, 0, 1.0, true, 60'000, day + 60'000, 0};
  lane[3] = {false, 0, 0, 0.7, true, 42'000, day + 120'000, 0};
  lane[5] = {false, 0, 0, 0.2, true, 12'000, day + 300'000, 3};
  cells = LaneCells(lane);
  std::vector<LaneStep> steps = LaneSteps(cells);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].column, 0);
  EXPECT_EQ(steps[1].column, 1);
  EXPECT_EQ(steps[1].fill, 1.0);
  EXPECT_EQ(steps[2].column, 3);
  EXPECT_EQ(steps[2].fill, 0.7);
  EXPECT_EQ(steps[3].column, 4);  // the last column's lone on takes the one before
  EXPECT_EQ(steps[3].fill, kLeastOnFill);
  EXPECT_EQ(LaneTip(lane, cells, 1), "on");
  EXPECT_EQ(LaneTip(lane, cells, 4), "on for 12 s from 00:05:00, turned on 3 times");
  // Rolled-up history keeps how long, not when.
  lane[3].first_on_ms = PixelColumn::kUnknownTime;
  EXPECT_EQ(LaneTip(lane, cells, 3), "on for 42 s (70%)");
}

TEST(LaneMarksTest, OnAndOffItemsAreLanesAndItemsWithLevelsLines) {
  std::vector<PixelColumn> columns(3);
  columns[0] = {true, 0.0, 0.0, 0.0};
  columns[1] = {true, 0.0, 100.0, 0.5};  // a plain switch: off, then full on
  EXPECT_TRUE(DrawnAsLane(ItemKind::kSwitch, columns));
  EXPECT_FALSE(DrawnAsLane(ItemKind::kSensor, columns));  // a level of 100 is a value
  columns[2] = {true, 40.0, 40.0, 1.0};                   // dimmed to 40
  EXPECT_FALSE(DrawnAsLane(ItemKind::kSwitch, columns));
  EXPECT_TRUE(DrawnAsLane(ItemKind::kSensor, std::vector<PixelColumn>(3)));  // a door
}

TEST(LaneMarksTest, DurationsReadInTheirTwoLargestUnits) {
  EXPECT_EQ(DurationText(0), "under 1 s");
  EXPECT_EQ(DurationText(999), "under 1 s");
  EXPECT_EQ(DurationText(10'400), "10 s");
  EXPECT_EQ(DurationText(185'000), "3 min 5 s");
  EXPECT_EQ(DurationText(180'000), "3 min");
  EXPECT_EQ(DurationText(2 * kHour + 5 * 60'000 + 7'000), "2 h 5 min");
  EXPECT_EQ(DurationText(76 * kHour), "3 d 4 h");
}

}  // namespace
}  // namespace hv::history
