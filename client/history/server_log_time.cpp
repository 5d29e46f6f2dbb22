#include "client/history/server_log_time.h"

#include <ctime>
#include <optional>

#include "core/string/clock_text.h"

namespace hv::history {

namespace {

// Reads exactly `count` digits at `*at`, moving past them.
std::optional<int> Digits(std::string_view text, size_t* at, size_t count) {
  if (*at + count > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = 0; i < count; ++i) {
    const char c = text[*at + i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  *at += count;
  return value;
}

bool Take(std::string_view text, size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

struct WallClock {
  int year, month, day, hour, minute, second;
};

// "MM/DD/YYYY" and "hh:mm:ss AM" (or "PM", any case; a time without them is read as 24 hours).
std::optional<WallClock> ReadWallClock(std::string_view date, std::string_view time) {
  size_t at = 0;
  auto month = Digits(date, &at, 2);
  if (!month || !Take(date, &at, '/')) return std::nullopt;
  auto day = Digits(date, &at, 2);
  if (!day || !Take(date, &at, '/')) return std::nullopt;
  auto year = Digits(date, &at, 4);
  if (!year || at != date.size()) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) || *year < 1970) {
    return std::nullopt;
  }
  at = 0;
  auto hour = Digits(time, &at, 2);
  if (!hour || !Take(time, &at, ':')) return std::nullopt;
  auto minute = Digits(time, &at, 2);
  if (!minute || !Take(time, &at, ':')) return std::nullopt;
  auto second = Digits(time, &at, 2);
  if (!second || *minute > 59 || *second > 59) return std::nullopt;
  std::string_view rest = time.substr(at);
  int hour24 = *hour;
  if (rest.empty()) {
    if (hour24 > 23) return std::nullopt;
  } else {
    if (rest.size() != 3 || rest[0] != ' ' || *hour < 1 || *hour > 12) return std::nullopt;
    const char half = static_cast<char>(rest[1] | 0x20);
    if ((half != 'a' && half != 'p') || (rest[2] | 0x20) != 'm') return std::nullopt;
    hour24 = *hour % 12 + (half == 'p' ? 12 : 0);
  }
  return WallClock{*year, *month, *day, hour24, *minute, *second};
}

// The local zone's offset from UTC (seconds east) at the moment `utc`.
std::optional<long> OffsetAt(int64_t utc) {
  const time_t when = static_cast<time_t>(utc);
  std::tm fields{};
  if (localtime_r(&when, &fields) == nullptr) return std::nullopt;
  return fields.tm_gmtoff;
}

}  // namespace

int64_t ServerLogTime(std::string_view date_text, std::string_view time_text, int64_t arrival_ms) {
  const std::optional<WallClock> wall = ReadWallClock(date_text, time_text);
  if (!wall) return arrival_ms;
  std::tm fields =
      CalendarFields(wall->year, wall->month, wall->day, wall->hour, wall->minute, wall->second);
  // The wall clock read as if it were UTC; the moments it stands for are it minus the offset
  // in force then. Offsets a day either side cover a change of zone or summer time near it.
  const int64_t as_utc = static_cast<int64_t>(timegm(&fields));
  std::optional<int64_t> best;
  std::optional<int64_t> earliest;
  std::optional<long> before = OffsetAt(as_utc - 86'400);
  for (int64_t probe : {as_utc - 86'400, as_utc, as_utc + 86'400}) {
    const std::optional<long> offset = OffsetAt(probe);
    if (!offset) continue;
    const int64_t moment = as_utc - *offset;
    // Only a moment whose own offset is the one assumed shows this wall clock.
    if (OffsetAt(moment) != offset) continue;
    const int64_t ms = moment * 1000;
    if (!earliest || ms < *earliest) earliest = ms;
    if (ms <= arrival_ms + kServerClockAheadMs && (!best || ms > *best)) best = ms;
  }
  if (!best && !earliest && before) {
    // A wall clock the spring change skips: the server's clock had not moved on yet.
    const int64_t ms = (as_utc - *before) * 1000;
    if (ms <= arrival_ms + kServerClockAheadMs) best = ms;
  }
  return best ? *best : arrival_ms;
}

}  // namespace hv::history
