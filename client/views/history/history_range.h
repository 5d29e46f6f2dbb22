// The time ranges of the History window: the presets, the from-to texts people type, and the
// zoom and pan steps of the chart. Times are milliseconds since 1970 UTC; texts are local time.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_RANGE_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_RANGE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hv::history {

enum class RangePreset : int32_t { kLastHour, kLastDay, kLastWeek, kLastMonth, kLastYear, kFromTo };

struct TimeRange {
  int64_t from_ms = 0;
  int64_t to_ms = 0;
  int64_t span() const { return to_ms - from_ms; }
};

// The range a preset means at `now_ms`; kFromTo has none of its own and gives the last day.
TimeRange PresetRange(RangePreset preset, int64_t now_ms);

// A local time as the program writes dates, "01/02/2026", "01/02/2026 10:30 AM" or
// "01/02/2026 10:30:15 PM" (or on the 24-hour clock, "01/02/2026 22:30"), and as ISO 8601
// writes them, "2026-01-02 22:30:15"; seconds and the time may be left out. Nothing for any
// other text or an impossible date.
std::optional<int64_t> ParseLocalTime(std::string_view text);
// "01/02/2026 10:30:15 PM", local time, the same under every locale.
std::string FormatLocalTime(int64_t at_ms);

// Zooms around `anchor_ms` (kept at the same place): factor < 1 zooms in. A range never gets
// shorter than a second.
TimeRange ZoomRange(const TimeRange& range, double factor, int64_t anchor_ms);
// Moves the range by `fraction` of its span (negative: back in time).
TimeRange PanRange(const TimeRange& range, double fraction);

// The chart's time axis: how many ticks, spread evenly over the range, and whether their
// labels need seconds. A label in minutes leaves the seconds out; it is used where no label
// is off by more than a tenth of the step between two ticks, so a tick labelled "12:36" is
// never in fact nearer "12:37".
struct TimeTicks {
  int32_t count = 5;
  bool seconds = false;
};
TimeTicks PlanTimeTicks(const TimeRange& range);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_RANGE_H_
