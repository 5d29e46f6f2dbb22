// cClock: where the client reads time. The program uses cSystemClock; tests use cFakeClock
// and move time by hand, so nothing that waits or times out needs a real sleep.
#ifndef HV_CLIENT_PLATFORM_CLOCK_H_
#define HV_CLIENT_PLATFORM_CLOCK_H_

#include <cstdint>
#include <ctime>

namespace hv {

// A moment of local wall-clock time, broken into calendar fields.
struct cLocalTime {
  int year = 1970;      // four digits
  int month = 1;        // 1..12
  int day = 1;          // 1..31
  int hour = 0;         // 0..23
  int minute = 0;       // 0..59
  int second = 0;       // 0..60 (a leap second may show as 60)
  int millisecond = 0;  // 0..999
  int day_of_week = 4;  // 0 = Sunday .. 6 = Saturday
};

// The calendar fields as localtime_r or gmtime_r break a moment down, with its milliseconds.
cLocalTime LocalTimeFromFields(const tm& fields, int millisecond);

class cClock {
 public:
  virtual ~cClock() = default;

  // Monotonic milliseconds from an arbitrary origin. Wraps after about 49.7 days, so callers
  // measure intervals with unsigned subtraction (now - start), never by comparing moments.
  virtual uint32_t TickCount() const = 0;

  // The current local time.
  virtual cLocalTime LocalTime() const = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_CLOCK_H_
