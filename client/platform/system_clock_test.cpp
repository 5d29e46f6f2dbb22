#include "client/platform/system_clock.h"

#include <gtest/gtest.h>

namespace hv {

TEST(SystemClockTest, TicksNeverGoBackAndLocalTimeIsInRange) {
  cSystemClock clock;
  const uint32_t first = clock.TickCount();
  const uint32_t second = clock.TickCount();
  EXPECT_LT(second - first, 1000u);  // monotonic: no huge (wrapped negative) step
  cLocalTime t = clock.LocalTime();
  EXPECT_GE(t.year, 2020);
  EXPECT_GE(t.month, 1);
  EXPECT_LE(t.month, 12);
  EXPECT_GE(t.day, 1);
  EXPECT_LE(t.day, 31);
  EXPECT_LE(t.hour, 23);
  EXPECT_LE(t.minute, 59);
  EXPECT_LE(t.second, 60);
  EXPECT_LE(t.millisecond, 999);
  EXPECT_LE(t.day_of_week, 6);
}

}  // namespace hv
