#include "client/platform/testing/fake_clock.h"

#include <gtest/gtest.h>

namespace hv {

TEST(FakeClockTest, AdvanceMovesTicksAndCalendarTogether) {
  cFakeClock clock;
  clock.SetLocalTime(2023, 12, 31, 23, 59, 59, 500);
  const uint32_t start = clock.TickCount();
  clock.Advance(600);
  EXPECT_EQ(clock.TickCount() - start, 600u);
  cLocalTime t = clock.LocalTime();
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 0);
  EXPECT_EQ(t.minute, 0);
  EXPECT_EQ(t.second, 0);
  EXPECT_EQ(t.millisecond, 100);
  EXPECT_EQ(t.day_of_week, 1);  // Monday
}

TEST(FakeClockTest, TickCountWrapsLikeTheRealOne) {
  cFakeClock clock;
  clock.SetTickCount(0xFFFFFF00u);
  const uint32_t start = clock.TickCount();
  clock.Advance(0x200);
  EXPECT_EQ(clock.TickCount(), 0x100u);
  EXPECT_EQ(clock.TickCount() - start, 0x200u);  // intervals survive the wrap
}

}  // namespace hv
