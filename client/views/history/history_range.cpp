#include "client/views/history/history_range.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/string/clock_text.h"

namespace hv::history {

namespace {

constexpr int64_t kHourMs = 3'600'000;
constexpr int64_t kMinimumSpanMs = 1'000;

}  // namespace

TimeRange PresetRange(RangePreset preset, int64_t now_ms) {
  int64_t span = 24 * kHourMs;
  switch (preset) {
    case RangePreset::kLastHour: span = kHourMs; break;
    case RangePreset::kLastDay:
    case RangePreset::kFromTo: break;
    case RangePreset::kLastWeek: span = 7 * 24 * kHourMs; break;
    case RangePreset::kLastMonth: span = 30 * 24 * kHourMs; break;
    case RangePreset::kLastYear: span = 365 * 24 * kHourMs; break;
  }
  return {now_ms - span, now_ms};
}

namespace {

// "10:30", "10:30:15", either with " AM" or " PM" (any case, the space optional) after it.
bool ParseClock(const char* text, int* hour, int* minute, int* second) {
  int used = 0;
  *second = 0;
  if (std::sscanf(text, "%2d:%2d%n", hour, minute, &used) != 2) return false;
  text += used;
  if (*text == ':') {
    if (std::sscanf(text, ":%2d%n", second, &used) != 1) return false;
    text += used;
  }
  while (*text == ' ') ++text;
  if (*text == '\0') return *hour >= 0 && *hour <= 23;
  const char half = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if ((half != 'A' && half != 'P') || std::toupper(static_cast<unsigned char>(text[1])) != 'M') {
    return false;
  }
  for (text += 2; *text == ' '; ++text) {
  }
  if (*text != '\0' || *hour < 1 || *hour > 12) return false;
  *hour = *hour % 12 + (half == 'P' ? 12 : 0);
  return true;
}

}  // namespace

std::optional<int64_t> ParseLocalTime(std::string_view text) {
  std::string copy(text);
  while (!copy.empty() && copy.back() == ' ') copy.pop_back();
  size_t start = copy.find_first_not_of(' ');
  if (start == std::string::npos) return std::nullopt;
  copy.erase(0, start);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
  const char* c = copy.c_str();
  if (std::sscanf(c, "%2d/%2d/%4d%n", &month, &day, &year, &used) == 3 ||
      std::sscanf(c, "%4d-%2d-%2d%n", &year, &month, &day, &used) == 3) {
    c += used;
  } else {
    return std::nullopt;
  }
  if (*c != '\0') {
    if (*c != ' ' && *c != 'T') return std::nullopt;
    while (*++c == ' ') {
    }
    if (!ParseClock(c, &hour, &minute, &second)) return std::nullopt;
  }
  if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  std::tm fields_tm = CalendarFields(year, month, day, hour, minute, second);
  fields_tm.tm_isdst = -1;
  time_t at = mktime(&fields_tm);
  // mktime moves 31 February to March: such a date was not a date.
  if (at == static_cast<time_t>(-1) || fields_tm.tm_mday != day || fields_tm.tm_mon != month - 1) {
    return std::nullopt;
  }
  return static_cast<int64_t>(at) * 1000;
}

std::string FormatLocalTime(int64_t at_ms) {
  return FormatLocalClock(at_ms / 1000 - (at_ms % 1000 < 0 ? 1 : 0), "%m/%d/%Y %I:%M:%S %p");
}

TimeRange ZoomRange(const TimeRange& range, double factor, int64_t anchor_ms) {
  if (!(factor > 0) || range.span() <= 0) return range;
  anchor_ms = std::clamp(anchor_ms, range.from_ms, range.to_ms);
  double before = static_cast<double>(anchor_ms - range.from_ms) * factor;
  double after = static_cast<double>(range.to_ms - anchor_ms) * factor;
  if (before + after < kMinimumSpanMs) {
    double grow = kMinimumSpanMs / std::max(before + after, 1.0);
    before *= grow;
    after *= grow;
    if (before + after < kMinimumSpanMs) after = kMinimumSpanMs - before;
  }
  return {anchor_ms - static_cast<int64_t>(std::llround(before)),
          anchor_ms + static_cast<int64_t>(std::llround(after))};
}

TimeRange PanRange(const TimeRange& range, double fraction) {
  int64_t shift = static_cast<int64_t>(std::llround(static_cast<double>(range.span()) * fraction));
  return {range.from_ms + shift, range.to_ms + shift};
}

TimeTicks PlanTimeTicks(const TimeRange& range) {
  constexpr int64_t kMinuteMs = 60'000;
  TimeTicks best;
  if (range.span() <= 0) return best;
  double best_error = 2.0;
  for (int32_t count = 5; count <= 9; ++count) {
    const double step = static_cast<double>(range.span()) / (count - 1);
    double worst = 0;
    for (int32_t i = 0; i < count; ++i) {
      const auto at = static_cast<int64_t>(static_cast<double>(range.from_ms) + step * i);
      worst = std::max(worst, static_cast<double>(((at % kMinuteMs) + kMinuteMs) % kMinuteMs));
    }
    if (worst / step < best_error) {
      best_error = worst / step;
      best.count = count;
    }
  }
  best.seconds = best_error > 0.1;
  return best;
}

}  // namespace hv::history
