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
  const TimeRange range{day, day + 24 * kHour};
  EXPECT_EQ(LaneTip(columns, cells, at, range), "on for 10 s from 12:00:05 PM");
  EXPECT_EQ(LaneTip(columns, cells, at + 1, range), "on for 10 s from 12:00:05 PM");
  EXPECT_EQ(LaneTip(columns, cells, at + 2, range), "off");
  EXPECT_EQ(LaneTip(columns, cells, 5000, range), "");

  // Off, on, on, on 0.7 of a column, off, on briefly; steps only where the fill changes.
  std::vector<PixelColumn> lane(6);
  lane[1] = {false, 0, 0, 1.0, true, 60'000, day, 1};
  lane[2] = {false, 0, 0, 1.0, true, 60'000, day + 60'000, 0};
  lane[3] = {false, 0, 0, 0.7, true, 42'000, day + 120'000, 0};
  lane[5] = {false, 0, 0, 0.2, true, 12'000, day + 300'000, 3};
  cells = LaneCells(lane);
  std::vector<LaneStep> steps = LaneSteps(cells);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].column, 0);
  EXPECT_EQ(steps[1].column, 1);
  EXPECT_EQ(steps[1].fill, 1.0);  // the stretch's partial end drawn whole, without a step
  EXPECT_EQ(steps[2].column, 4);  // the last column's lone on takes the one before
  EXPECT_EQ(steps[2].fill, kLeastOnFill);
  const TimeRange minutes{day, day + 6 * 60'000};
  // A stretch on over several columns tells when it went on and how long it stayed, from any
  // of its columns.
  EXPECT_EQ(LaneTip(lane, cells, 1, minutes), "on for 2 min 42 s from 12:00:00 AM");
  EXPECT_EQ(LaneTip(lane, cells, 3, minutes), "on for 2 min 42 s from 12:00:00 AM");
  EXPECT_EQ(LaneTip(lane, cells, 4, minutes), "on for 12 s from 12:05:00 AM, turned on 3 times");
  // Rolled-up history keeps how long, not when: the column's start tells roughly.
  lane[1].first_on_ms = PixelColumn::kUnknownTime;
  EXPECT_EQ(LaneTip(lane, cells, 2, minutes), "on for 2 min 42 s from about 12:01:00 AM");
  // On since before the range; and where the client was not receiving, nothing is told.
  lane[0] = {false, 0, 0, 1.0, true, 60'000, day, 0};
  lane[1].turned_on = 0;
  EXPECT_EQ(LaneTip(lane, cells, 2, minutes),
            "on for 3 min 42 s from before 03/10/2026 12:00:00 AM");
  EXPECT_EQ(LaneTip(std::vector<PixelColumn>(3), std::vector<LaneCell>(3), 1, minutes),
            "not recorded (Hearthview was not receiving)");
}

TEST(LaneMarksTest, AStretchOnIsOneBarWithoutAFootAtEitherEnd) {
  // On from a third into the second column to half into the fifth, read from hourly
  // roll-ups that leave no column quite full.
  std::vector<PixelColumn> columns(6);
  for (size_t c : {1, 2, 3, 4}) {
    columns[c].was_on = true;
    columns[c].on_fraction = c == 1 ? 0.3 : c == 4 ? 0.5 : 0.93;
  }
  const std::vector<LaneStep> steps = LaneSteps(LaneCells(columns));
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[1].column, 1);
  EXPECT_EQ(steps[1].fill, 0.93);
  EXPECT_EQ(steps[2].column, 5);
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
