#include "client/platform/testing/fake_clock.h"

#include <gtest/gtest.h>

#include <tuple>

namespace hv {

TEST(FakeClockTest, AdvanceMovesTicksAndCalendarTogether) {
  cFakeClock clock;
  clock.SetLocalTime(2023, 12, 31, 23, 59, 59, 500);
  const uint32_t start = clock.TickCount();
  clock.Advance(600);
  EXPECT_EQ(clock.TickCount() - start, 600u);
  const cLocalTime t = clock.LocalTime();
  // 1 January 2024, 00:00:00.100, a Monday.
  EXPECT_EQ(
      std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond, t.day_of_week),
      std::make_tuple(2024, 1, 1, 0, 0, 0, 100, 1));
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
