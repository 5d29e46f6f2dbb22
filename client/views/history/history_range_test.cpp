#include "client/views/history/history_range.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(HistoryRangeTest, LocalTimesParseAndFormatBackAndBadTextIsRefused) {
  std::optional<int64_t> at = ParseLocalTime("2026-01-31 18:05:09");
  ASSERT_TRUE(at.has_value());
  EXPECT_EQ(FormatLocalTime(*at), "2026-01-31 18:05:09");
  EXPECT_EQ(FormatLocalTime(*ParseLocalTime("2026-01-31")), "2026-01-31 00:00:00");
  EXPECT_EQ(FormatLocalTime(*ParseLocalTime("2026-01-31 18:05")), "2026-01-31 18:05:00");
  for (const char* bad : {"", "yesterday", "2026-02-31", "2026-13-01", "2026-01-31 25:00",
                          "2026-01-31 18:05:09 extra", "1969-12-31", "2026-01-31 18"}) {
    EXPECT_FALSE(ParseLocalTime(bad).has_value()) << bad;
  }
}

TEST(HistoryRangeTest, PresetsEndNowAndZoomKeepsTheAnchorInPlace) {
  EXPECT_EQ(PresetRange(RangePreset::kLastHour, 10'000'000).from_ms, 10'000'000 - 3'600'000);
  EXPECT_EQ(PresetRange(RangePreset::kLastWeek, 0).span(), 7 * 86'400'000LL);
  TimeRange day{0, 86'400'000};
  TimeRange in = ZoomRange(day, 0.5, 21'600'000);
  EXPECT_EQ(in.from_ms, 10'800'000);
  EXPECT_EQ(in.to_ms, 54'000'000);
  EXPECT_EQ(ZoomRange(day, 1e-12, 500).span(), 1000);  // never shorter than a second
  EXPECT_EQ(ZoomRange(day, -1, 0).span(), day.span());
  TimeRange back = PanRange(day, -0.25);
  EXPECT_EQ(back.from_ms, -21'600'000);
  EXPECT_EQ(back.span(), day.span());
}

TEST(HistoryRangeTest, TimeTicksFallOnWholeMinutesOrShowTheirSeconds) {
  constexpr int64_t kMinute = 60'000;
  const int64_t noon = 1'767'268'800'000;  // 2026-01-01 12:00 UTC
  // Five minutes: a tick a minute, in minutes.
  TimeTicks five = PlanTimeTicks({noon, noon + 5 * kMinute});
  EXPECT_EQ(five.count, 6);
  EXPECT_FALSE(five.seconds);
  // The last hour from an odd second: quarter hours, each less than a minute off.
  EXPECT_FALSE(PlanTimeTicks({noon + 53'000, noon + 53'000 + 60 * kMinute}).seconds);
  // Zoomed to half a minute: the labels need their seconds.
  EXPECT_TRUE(PlanTimeTicks({noon + 7'000, noon + 37'000}).seconds);
  EXPECT_EQ(PlanTimeTicks({noon, noon}).count, 5);
}

}  // namespace
}  // namespace hv::history
