#include "core/string/clock_text.h"

#include "core/string/classic_locale.h"

namespace hv {

std::tm CalendarFields(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return fields;
}

std::string FormatClockFields(const std::tm& fields, const char* format) {
  char text[256];
  const size_t n = strftime_l(text, sizeof text, format, &fields, ClassicLocale());
  return std::string(text, n);
}

std::string FormatLocalClock(int64_t seconds_since_1970, const char* format) {
  const time_t when = static_cast<time_t>(seconds_since_1970);
  std::tm fields{};
  if (localtime_r(&when, &fields) == nullptr) return std::string();
  return FormatClockFields(fields, format);
}

}  // namespace hv
