#include "client/views/history/history_range.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(HistoryRangeTest, LocalTimesReadAsTheProgramWritesThemAndBadTextIsRefused) {
  std::optional<int64_t> at = ParseLocalTime("01/31/2026 06:05:09 PM");
  ASSERT_TRUE(at.has_value());
  EXPECT_EQ(FormatLocalTime(*at), "01/31/2026 06:05:09 PM");
  // The dates the main window shows, alone or with a clock of either kind, and ISO 8601.
  for (const char* same : {"01/31/2026 18:05:09", "2026-01-31 18:05:09", "1/31/2026 6:05:09 pm",
                           "2026-01-31T18:05:09", " 01/31/2026  06:05:09PM "}) {
    EXPECT_EQ(ParseLocalTime(same), at) << same;
  }
  EXPECT_EQ(FormatLocalTime(*ParseLocalTime("12/10/2026")), "12/10/2026 12:00:00 AM");
  EXPECT_EQ(FormatLocalTime(*ParseLocalTime("12/10/2026 12:30 PM")), "12/10/2026 12:30:00 PM");
  EXPECT_EQ(FormatLocalTime(*ParseLocalTime("2026-01-31 18:05")), "01/31/2026 06:05:00 PM");
  for (const char* bad :
       {"", "yesterday", "02/31/2026", "13/01/2026", "2026-02-31", "01/31/2026 25:00",
        "01/31/2026 13:00 PM", "01/31/2026 00:30 AM", "01/31/2026 06:05:09 PM extra", "12/31/1969",
        "01/31/2026 18", "31.01.2026"}) {
    EXPECT_FALSE(ParseLocalTime(bad).has_value()) << bad;
  }
}

TEST(HistoryRangeTest, PresetsEndNowAndZoomKeepsTheAnchorInPlace) {
  EXPECT_EQ(PresetRange(RangePreset::kLastHour, 10'000'000).from_ms, 10'000'000 - 3'600'000);
  EXPECT_EQ(PresetRange(RangePreset::kLastWeek, 0).span(), 7 * 86'400'000LL);
  EXPECT_EQ(PresetRange(RangePreset::kLastYear, 0).span(), 365 * 86'400'000LL);
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
