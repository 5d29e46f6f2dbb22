#include "client/views/history/chart_plot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace hv::history {
namespace {

PixelColumn Value(double min, double max) {
  PixelColumn column;
  column.has_value = true;
  column.min = min;
  column.max = max;
  column.known_ms = 1000;
  column.known_fraction = 1.0;
  return column;
}

TEST(ChartPlotTest, ColumnsCoverTheRangeEdgeToEdgeAndTimesFindTheirColumn) {
  const TimeRange range{10'000, 11'000};
  EXPECT_DOUBLE_EQ(ColumnEdge(range, 0, 10), 10'000);
  EXPECT_DOUBLE_EQ(ColumnEdge(range, 10, 10), 11'000);  // the right edge of the last
  EXPECT_DOUBLE_EQ(ColumnMiddle(range, 0, 10), 10'050);
  EXPECT_DOUBLE_EQ(ColumnMiddle(range, 9, 10), 10'950);
  // Every column's middle and edges find that column again: a tip shows the column drawn
  // under the pointer, not its neighbour.
  for (size_t c = 0; c < 10; ++c) {
    EXPECT_EQ(ColumnAt(range, static_cast<int64_t>(ColumnMiddle(range, c, 10)), 10), c);
    EXPECT_EQ(
        ColumnAt(range, static_cast<int64_t>(ColumnEdge(range, static_cast<int32_t>(c), 10)), 10),
        c);
  }
  EXPECT_EQ(ColumnAt(range, 10'999, 10), 9u);
  // Beyond the range, the nearest column; an empty range or no columns, the first.
  EXPECT_EQ(ColumnAt(range, 0, 10), 0u);
  EXPECT_EQ(ColumnAt(range, 99'000, 10), 9u);
  EXPECT_EQ(ColumnAt(TimeRange{5, 5}, 5, 10), 0u);
  EXPECT_EQ(ColumnAt(range, 10'500, 0), 0u);
}

TEST(ChartPlotTest, LanesStackFromTheTopAndTheirFillRunsFromEdgeToEdge) {
  LanePlan plan;
  plan.first = 2;
  plan.shown = 3;
  plan.lanes = 6;
  // The first lane shown is the highest; the last lane shown sits on the bottom.
  EXPECT_DOUBLE_EQ(LaneBase(plan, 2), 2 * kLaneHeight);
  EXPECT_DOUBLE_EQ(LaneBase(plan, 4), 0);

  const TimeRange range{0, 1000};
  const std::vector<ChartPoint> outline =
      LaneOutline({{0, 0.0}, {3, 1.0}, {5, 0.0}}, range, 10, 2.0);
  ASSERT_EQ(outline.size(), 6u);
  // Off from 0 to 300, on (filled kLaneFill high) from 300 to 500, off to the right edge.
  EXPECT_DOUBLE_EQ(outline[0].x, 0);
  EXPECT_DOUBLE_EQ(outline[1].x, 300);
  EXPECT_DOUBLE_EQ(outline[2].x, 300);
  EXPECT_DOUBLE_EQ(outline[3].x, 500);
  EXPECT_DOUBLE_EQ(outline[5].x, 1000);
  EXPECT_DOUBLE_EQ(outline[0].y, 2.0);
  EXPECT_DOUBLE_EQ(outline[2].y, 2.0 + kLaneFill);
  EXPECT_DOUBLE_EQ(outline[3].y, 2.0 + kLaneFill);
  EXPECT_DOUBLE_EQ(outline[4].y, 2.0);
  EXPECT_TRUE(LaneOutline({}, range, 10, 0).empty());
}

TEST(ChartPlotTest, TheValueSpanCountsOnlyTheLinesValuesAndNamesEachMeasureOnce) {
  HistorySeries inside{"Inside", ItemKind::kSensor, false, {Value(18, 19), Value(20, 22)}};
  inside.measure = "Temperature";
  HistorySeries outside{"Outside", ItemKind::kSensor, false, {PixelColumn(), Value(-2, 0)}};
  outside.measure = "Temperature";
  HistorySeries level{"Lamp", ItemKind::kSwitch, false, {Value(40, 40)}};
  level.measure = "Level (%)";
  // A lane's columns carry no values the axis should make room for.
  HistorySeries door{"Door", ItemKind::kSensor, true, {Value(-500, 500)}};
  const LinesSpan span = SpanOfLines({inside, door, outside, level});
  EXPECT_DOUBLE_EQ(span.low, -2 - 42 * 0.05);
  EXPECT_DOUBLE_EQ(span.high, 40 + 42 * 0.05);
  EXPECT_EQ(span.measures, (std::vector<std::string>{"Temperature", "Level (%)"}));

  // A flat line gets an axis one unit high; no value at all, 0 to 1.
  const LinesSpan flat = SpanOfLines({level});
  EXPECT_DOUBLE_EQ(flat.low, 40 - 0.05);
  EXPECT_DOUBLE_EQ(flat.high, 41 + 0.05);
  const LinesSpan none = SpanOfLines({door});
  EXPECT_DOUBLE_EQ(none.low, -0.05);
  EXPECT_DOUBLE_EQ(none.high, 1.05);
  EXPECT_TRUE(none.measures.empty());
}

TEST(ChartPlotTest, LanesUnderLinesGetWholeStepsAndOnlyTheLinesAreLabelled) {
  // Lines from 10 to 30 in steps of 5; the lanes want half the plot: four more steps below.
  const ValueAxisPlan half = PlanValueAxis(10, 30, 5, 0.5, 400, 16);
  EXPECT_DOUBLE_EQ(half.start, -10);
  EXPECT_DOUBLE_EQ(half.end, 30);
  EXPECT_DOUBLE_EQ(half.lane_share, 0.5);
  EXPECT_EQ(half.labels, (std::vector<double>{10, 15, 20, 25, 30}));
  // A little share still takes a whole step, never a fraction of one.
  const ValueAxisPlan little = PlanValueAxis(10, 30, 5, 0.05, 400, 16);
  EXPECT_DOUBLE_EQ(little.start, 5);
  EXPECT_DOUBLE_EQ(little.lane_share, 0.2);
  // Where the lines' part is too low for a label per step, every second one, always with the
  // top, so the highest value is read off.
  const ValueAxisPlan cramped = PlanValueAxis(10, 30, 5, 0.5, 100, 16);
  EXPECT_EQ(cramped.labels, (std::vector<double>{10, 20, 30}));
  // A sum of steps that lands a hair off zero is labelled 0.
  const ValueAxisPlan around_zero = PlanValueAxis(-0.3, 0.3, 7, 0.25, 800, 16);
  ASSERT_EQ(around_zero.labels.size(), 7u);
  EXPECT_EQ(around_zero.labels[3], 0.0);
  // Lanes that want the whole plot leave the lines some of it, and every number finite.
  const ValueAxisPlan all = PlanValueAxis(0, 10, 3, 1.0, 300, 16);
  EXPECT_LT(all.lane_share, 1.0);
  EXPECT_TRUE(std::isfinite(all.start));
  EXPECT_FALSE(all.labels.empty());
}

TEST(ChartPlotTest, TheTipTellsAValueARangeNothingOrAGapAndALanesOwnTip) {
  const TimeRange range{0, 4000};
  PixelColumn unknown;  // nothing known: the client was not receiving
  PixelColumn no_value;
  no_value.known_ms = 1000;
  no_value.known_fraction = 1.0;
  HistorySeries line{
      "Inside", ItemKind::kSensor, false, {Value(21.5, 21.5), Value(18, 19.5), no_value, unknown}};
  EXPECT_EQ(SeriesTipValue(line, {}, 0, range), "21.5");
  EXPECT_EQ(SeriesTipValue(line, {}, 1, range), "18 to 19.5");
  EXPECT_EQ(SeriesTipValue(line, {}, 2, range), "-");
  EXPECT_EQ(SeriesTipValue(line, {}, 3, range), "not recorded");
  EXPECT_EQ(SeriesTipValue(line, {}, 4, range), "-");  // past the columns: nothing to read

  PixelColumn off;
  off.known_ms = 1000;
  off.known_fraction = 1.0;
  HistorySeries door{"Door", ItemKind::kSensor, true, {off, off}};
  const std::vector<LaneCell> cells = LaneCells(door.columns);
  EXPECT_EQ(SeriesTipValue(door, cells, 1, range), LaneTip(door.columns, cells, 1, range));
}

TEST(ChartPlotTest, ThePictureTitleNamesTheRangeInTheProgramsTimes) {
  const TimeRange day{1'765'378'800'000, 1'765'465'200'000};
  EXPECT_EQ(PictureTitle(day),
            "History from " + FormatLocalTime(day.from_ms) + " to " + FormatLocalTime(day.to_ms));
}

}  // namespace
}  // namespace hv::history
