// Dates and clock times as the system writes them ("%m/%d/%Y", "%I:%M:%S %p" with AM and PM),
// the same under every locale.
#ifndef HV_CORE_STRING_CLOCK_TEXT_H_
#define HV_CORE_STRING_CLOCK_TEXT_H_

#include <cstdint>
#include <ctime>
#include <string>

namespace hv {

// The broken-down time of a calendar date and clock time (month 1 to 12, as people write
// it), every other field zero, ready for timegm, mktime or FormatClockFields.
std::tm CalendarFields(int year, int month, int day, int hour, int minute, int second);

// The fields as strftime writes them in the "C" locale; empty when the text would not fit
// in 255 characters.
std::string FormatClockFields(const std::tm& fields, const char* format);

// The moment (seconds since 1970) in local time, as FormatClockFields writes it; empty when
// the moment cannot be broken down.
std::string FormatLocalClock(int64_t seconds_since_1970, const char* format);

}  // namespace hv

#endif  // HV_CORE_STRING_CLOCK_TEXT_H_
