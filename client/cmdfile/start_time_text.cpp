#include "client/cmdfile/start_time_text.h"

#include <cstdio>
#include <ctime>

#include "core/string/clock_text.h"

namespace hv {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

}  // namespace

swString FormatStartTime(const cLocalTime& time) {
  swString text;
  text.Format("%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
              time.minute, time.second);
  return text;
}

bool ParseStartTime(const char* text, cLocalTime* time) {
  if (text == nullptr || time == nullptr) return false;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, consumed = 0;
  if (std::sscanf(text, " %4d-%2d-%2d %2d:%2d:%2d %n", &year, &month, &day, &hour, &minute, &second,
                  &consumed) != 6 ||
      text[consumed] != '\0') {
    return false;
  }
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return false;
  }
  *time = cLocalTime{
      .year = year, .month = month, .day = day, .hour = hour, .minute = minute, .second = second};
  return true;
}

bool LocalTimeOfSeconds(uint32_t seconds, cLocalTime* time) {
  if (time == nullptr) return false;
  const time_t moment = static_cast<time_t>(seconds);
  tm fields{};
  if (localtime_r(&moment, &fields) == nullptr) return false;
  *time = LocalTimeFromFields(fields, 0);
  return true;
}

bool SecondsOfLocalTime(const cLocalTime& time, uint32_t* seconds) {
  if (seconds == nullptr) return false;
  tm fields = CalendarFields(time.year, time.month, time.day, time.hour, time.minute, time.second);
  fields.tm_isdst = -1;  // the zone's own rule for that date
  const time_t moment = mktime(&fields);
  if (moment == static_cast<time_t>(-1) || moment < 0 ||
      static_cast<int64_t>(moment) > static_cast<int64_t>(UINT32_MAX)) {
    return false;
  }
  *seconds = static_cast<uint32_t>(moment);
  return true;
}

}  // namespace hv
