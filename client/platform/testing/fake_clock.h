// cFakeClock: a clock that only moves when a test moves it. Advance() moves the tick count
// and the local time together, so a test that waits 120 s sees both change.
#ifndef HV_CLIENT_PLATFORM_TESTING_FAKE_CLOCK_H_
#define HV_CLIENT_PLATFORM_TESTING_FAKE_CLOCK_H_

#include <cstdint>
#include <ctime>

#include "client/platform/clock.h"
#include "core/string/clock_text.h"

namespace hv {

class cFakeClock : public cClock {
 public:
  // Starts at tick 1000 and at 2024-01-15 09:30:00.000 local time (a Monday).
  cFakeClock() { SetLocalTime(2024, 1, 15, 9, 30, 0); }

  uint32_t TickCount() const override { return tick_; }

  cLocalTime LocalTime() const override {
    // The calendar is recomputed from the elapsed milliseconds so month and year ends roll
    // over correctly; the fake clock's local time zone is UTC-like (no daylight saving).
    int64_t total_ms = base_ms_ + static_cast<int64_t>(elapsed_ms_);
    time_t seconds = static_cast<time_t>(total_ms / 1000);
    tm fields{};
    gmtime_r(&seconds, &fields);
    return LocalTimeFromFields(fields, static_cast<int>(total_ms % 1000));
  }

  // Moves time forward by ms; the tick count wraps at 2^32 like the real one.
  void Advance(uint32_t ms) {
    tick_ += ms;
    elapsed_ms_ += ms;
  }

  // Puts the tick count at a given value (for wrap-around tests); local time is unchanged.
  void SetTickCount(uint32_t tick) { tick_ = tick; }

  // Sets local time; later Advance() calls move forward from here.
  void SetLocalTime(int year, int month, int day, int hour, int minute, int second,
                    int millisecond = 0) {
    tm fields = CalendarFields(year, month, day, hour, minute, second);
    base_ms_ = static_cast<int64_t>(timegm(&fields)) * 1000 + millisecond;
    elapsed_ms_ = 0;
  }

 private:
  uint32_t tick_ = 1000;
  int64_t base_ms_ = 0;
  uint64_t elapsed_ms_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_TESTING_FAKE_CLOCK_H_
