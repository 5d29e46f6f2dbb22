#include "client/history/pixel_columns.h"

#include <gtest/gtest.h>

#include "client/history/rollup.h"

namespace hv::history {
namespace {

constexpr int64_t kMinute = 60'000;
constexpr int64_t kHour = 3'600'000;

TEST(RollupTest, BucketsKeepPeaksTimeWeightedMeansAndHoldTheStateBetweenThem) {
  // A switch on at 00:30 of minute 0 until 02:30 into minute 2, then off.
  std::vector<ItemPoint> points = {{30'000, 2, 10.0}, {150'000, 3, 0.0}, {170'000, 3, 50.0}};
  std::vector<RollupBucket> minutes =
      RollUp(points, ItemKind::kSwitch, 0, nullptr, 240'000, RollupLevel::kMinute);
  // Minute 1 changed nothing: not stored, its state is minute 0's end state.
  ASSERT_EQ(minutes.size(), 3u);
  EXPECT_EQ(minutes[0].on_ms, 30'000);
  EXPECT_EQ(minutes[0].known_ms, 30'000);  // nothing was known before the first sample
  ASSERT_TRUE(minutes[0].end_state.has_value());
  EXPECT_EQ(minutes[0].end_state->status, 2);
  EXPECT_EQ(minutes[1].start_ms, 2 * kMinute);
  EXPECT_EQ(minutes[1].on_ms, 30'000);
  EXPECT_EQ(minutes[1].min, 0.0);
  EXPECT_EQ(minutes[1].max, 50.0);
  // 10 for 30 s, 0 for 20 s, 50 for 10 s.
  EXPECT_DOUBLE_EQ(minutes[1].mean(), (10.0 * 30 + 50.0 * 10) / 60);
  EXPECT_EQ(minutes[2].start_ms, 3 * kMinute);  // the held state's last bucket
  EXPECT_EQ(minutes[2].count, 0);
  EXPECT_EQ(minutes[2].min, 50.0);

  std::vector<RollupBucket> hours =
      RollUp(points, ItemKind::kSwitch, 0, nullptr, 240'000, RollupLevel::kHour);
  ASSERT_EQ(hours.size(), 1u);
  EXPECT_EQ(hours[0].count, 3);
  EXPECT_EQ(hours[0].on_ms, 120'000);
  EXPECT_EQ(hours[0].known_ms, 210'000);
  EXPECT_EQ(hours[0].max, 50.0);

  // The next round starts from the state the last one ended in, also without a sample.
  ItemPoint on{240'000, 2, 7.0};
  std::vector<RollupBucket> held =
      RollUp({}, ItemKind::kSwitch, kHour, &on, 3 * kHour, RollupLevel::kHour);
  ASSERT_EQ(held.size(), 2u);
  EXPECT_EQ(held[0].on_ms, kHour);
  EXPECT_EQ(held[1].start_ms, 2 * kHour);
  EXPECT_EQ(held[1].min, 7.0);
}

TEST(PixelReductionTest, RawPointsGiveMinAndMaxPerColumn) {
  PixelReduction reduction(0, 10 * kMinute, 10);
  std::vector<ItemPoint> points = {
      {0, 17, 20.0}, {20'000, 17, 25.0}, {40'000, 17, 15.0}, {9 * kMinute + 59'999, 17, 30.0}};
  reduction.AddPoints(points, ItemKind::kSensor, 0, 10 * kMinute, nullptr);
  const auto& columns = reduction.columns();
  ASSERT_EQ(columns.size(), 10u);
  EXPECT_TRUE(columns[0].has_value);
  EXPECT_EQ(columns[0].min, 15.0);
  EXPECT_EQ(columns[0].max, 25.0);
  // Only changes are stored: between them the last value holds.
  EXPECT_TRUE(columns[5].has_value);
  EXPECT_EQ(columns[5].min, 15.0);
  EXPECT_EQ(columns[5].max, 15.0);
  EXPECT_EQ(columns[9].min, 15.0);  // held until the last change, a second before the end
  EXPECT_EQ(columns[9].max, 30.0);
  EXPECT_EQ(reduction.ColumnOf(10 * kMinute), -1);
  EXPECT_EQ(reduction.ColumnOf(-1), -1);
}

TEST(PixelReductionTest, ALevelSetBeforeTheRangeHoldsUntilNowAndNoFurther) {
  // A dim level set once, before the range, and not changed since: a flat line up to "now"
  // (the middle of the range), nothing after it.
  PixelReduction reduction(0, 10 * kMinute, 10);
  ItemPoint before{-kHour, 2, 40.0};
  reduction.AddPoints({}, ItemKind::kSwitch, 0, 5 * kMinute, &before);
  const auto& columns = reduction.columns();
  for (int c = 0; c < 10; ++c) {
    EXPECT_EQ(columns[static_cast<size_t>(c)].has_value, c < 5) << c;
    if (c < 5) {
      EXPECT_EQ(columns[static_cast<size_t>(c)].max, 40.0) << c;
    }
  }
}

TEST(PixelReductionTest, BucketsAndRawMeetWithoutASeam) {
  // Two hours in two columns: the first hour from an hour bucket, the second from raw samples
  // that start in the state the bucket ended in.
  PixelReduction reduction(0, 2 * kHour, 2);
  reduction.AddBuckets({{0, kHour, 1.0, 9.0, 20.0, 4, kHour / 2, kHour, 0, std::nullopt}});
  ItemPoint before{kHour - 1, 2, 0.0};
  reduction.AddPoints({{kHour + kHour / 4, 3, 4.0}}, ItemKind::kSwitch, kHour, 2 * kHour, &before,
                      false);
  const auto& columns = reduction.columns();
  EXPECT_EQ(columns[0].min, 1.0);
  EXPECT_EQ(columns[0].max, 9.0);
  EXPECT_DOUBLE_EQ(columns[0].on_fraction, 0.5);
  EXPECT_DOUBLE_EQ(columns[1].on_fraction, 0.25);  // on until the Off a quarter in
  EXPECT_EQ(columns[1].min, 4.0);
}

TEST(PixelReductionTest, ABriefOnMarksItsColumnWithWhenAndHowLong) {
  // A day in 1,000 columns (86.4 s each): a door open for ten seconds, one opened and closed in
  // the same millisecond, and one open twice in a column.
  constexpr int64_t kDay = 24 * kHour;
  PixelReduction reduction(0, kDay, 1000);
  const int64_t open = 12 * kHour + 5'000;
  reduction.AddPoints({{open, 2, 0.0}, {open + 10'000, 3, 0.0}}, ItemKind::kSwitch, 0, kDay,
                      nullptr);
  const int column = reduction.ColumnOf(open);
  const PixelColumn& cell = reduction.columns()[static_cast<size_t>(column)];
  EXPECT_TRUE(cell.was_on);
  EXPECT_EQ(cell.on_ms, 10'000);
  EXPECT_EQ(cell.first_on_ms, open);
  EXPECT_EQ(cell.turned_on, 1);
  EXPECT_LT(cell.on_fraction, 0.2);
  EXPECT_FALSE(reduction.columns()[static_cast<size_t>(column) + 1].was_on);
  EXPECT_FALSE(reduction.columns()[static_cast<size_t>(column) - 1].was_on);

  PixelReduction moment(0, kDay, 1000);
  moment.AddPoints({{open, 2, 0.0}, {open, 3, 0.0}}, ItemKind::kSwitch, 0, kDay, nullptr);
  EXPECT_TRUE(moment.columns()[static_cast<size_t>(column)].was_on);
  EXPECT_EQ(moment.columns()[static_cast<size_t>(column)].on_ms, 0);
  EXPECT_EQ(moment.columns()[static_cast<size_t>(column)].first_on_ms, open);

  PixelReduction twice(0, kDay, 1000);
  twice.AddPoints(
      {{open, 2, 0.0}, {open + 1'000, 3, 0.0}, {open + 5'000, 2, 0.0}, {open + 6'000, 3, 0.0}},
      ItemKind::kSwitch, 0, kDay, nullptr);
  EXPECT_EQ(twice.columns()[static_cast<size_t>(column)].turned_on, 2);
  EXPECT_EQ(twice.columns()[static_cast<size_t>(column)].on_ms, 2'000);

  // On since before the range: on from the first column's start, but not turned on there.
  ItemPoint before{-kHour, 2, 0.0};
  PixelReduction held(0, kDay, 1000);
  held.AddPoints({{30'000, 3, 0.0}}, ItemKind::kSwitch, 0, kDay, &before);
  EXPECT_EQ(held.columns()[0].first_on_ms, 0);
  EXPECT_EQ(held.columns()[0].turned_on, 0);
  EXPECT_EQ(held.columns()[0].on_ms, 30'000);

  // Rolled up, the on-time is known but not when.
  PixelReduction rolled(0, kDay, 24);
  rolled.AddBuckets({{3 * kHour, kHour, 0.0, 0.0, 0.0, 2, 10'000, kHour, 0, std::nullopt}});
  EXPECT_TRUE(rolled.columns()[3].was_on);
  EXPECT_EQ(rolled.columns()[3].on_ms, 10'000);
  EXPECT_EQ(rolled.columns()[3].first_on_ms, PixelColumn::kUnknownTime);
  EXPECT_FALSE(rolled.columns()[4].was_on);
}

TEST(PixelReductionTest, WideBucketFillsEveryColumnItCoversAndAbsurdRangesAreEmpty) {
  PixelReduction reduction(0, kHour, 4);
  reduction.AddBuckets(
      {{-kHour / 2, 2 * kHour, 3.0, 7.0, 10.0, 2, 2 * kHour, 2 * kHour, 0, std::nullopt}});
  for (const PixelColumn& column : reduction.columns()) {
    EXPECT_TRUE(column.has_value);
    EXPECT_EQ(column.max, 7.0);
    EXPECT_DOUBLE_EQ(column.on_fraction, 1.0);
  }
  EXPECT_TRUE(PixelReduction(5, 5, 100).columns().empty());
  EXPECT_TRUE(PixelReduction(0, 10, 0).columns().empty());
  PixelReduction huge(INT64_MIN / 2, INT64_MAX / 2, 1000);
  EXPECT_EQ(huge.ColumnOf(0), 500);
}

}  // namespace
}  // namespace hv::history
