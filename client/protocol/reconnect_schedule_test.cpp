#include "client/protocol/reconnect_schedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace hv {

namespace {

// The moments (ms after `start`) at which the schedule asks for a check, when every check
// fails, looking every 500 ms up to `until`.
std::vector<uint32_t> TriesWhileDown(cReconnectSchedule& schedule, uint32_t start, uint32_t until) {
  std::vector<uint32_t> tries;
  for (uint32_t t = 0; t <= until; t += 500) {
    if (schedule.Due(start + t)) {
      tries.push_back(t);
      schedule.Checked(start + t, false);
    }
  }
  return tries;
}

TEST(ReconnectScheduleTest, ALostConnectionIsTriedAfter2_5_10_30And60Seconds) {
  cReconnectSchedule schedule;
  EXPECT_FALSE(schedule.Due(1000));
  schedule.ConnectionLost(1000);
  EXPECT_EQ(TriesWhileDown(schedule, 1000, 200000),
            (std::vector<uint32_t>{2000, 5000, 10000, 30000, 60000}));
  EXPECT_EQ(schedule.TriesLeft(), 0u);
}

TEST(ReconnectScheduleTest, ATryThatConnectsEndsTheSeries) {
  cReconnectSchedule schedule;
  schedule.ConnectionLost(0);
  EXPECT_FALSE(schedule.Due(1999));
  ASSERT_TRUE(schedule.Due(2000));
  schedule.Checked(2000, true);
  for (uint32_t t = 2000; t < 200000; t += 500) EXPECT_FALSE(schedule.Due(t)) << t;
}

TEST(ReconnectScheduleTest, ASlowTrySkipsTheTriesItsWaitUsedUp) {
  cReconnectSchedule schedule;
  schedule.ConnectionLost(0);
  ASSERT_TRUE(schedule.Due(2000));
  // The connect waited until 12 s: the 5 s and 10 s tries are past.
  schedule.Checked(12000, false);
  EXPECT_FALSE(schedule.Due(29999));
  EXPECT_TRUE(schedule.Due(30000));
}

TEST(ReconnectScheduleTest, LossesInQuickSuccessionBackOffInsteadOfStartingAgain) {
  cReconnectSchedule schedule;
  // A server that takes the login and drops it again each time.
  uint32_t now = 0;
  std::vector<uint32_t> waits;
  schedule.ConnectionLost(now);
  for (int round = 0; round < 7; ++round) {
    const uint32_t lost = now;
    while (!schedule.Due(now) && now - lost < 100000) now += 500;
    if (!schedule.Due(now)) break;
    waits.push_back(now - lost);
    schedule.Checked(now, true);  // connected ...
    now += 500;
    schedule.ConnectionLost(now);  // ... and dropped at once
  }
  EXPECT_EQ(waits, (std::vector<uint32_t>{2000, 5000, 10000, 30000, 60000}));
  // Once the server has stayed up for a while, a loss starts from the shortest wait again.
  schedule.Checked(now, true);
  now += cReconnectSchedule::kSeriesMemoryMs + 1000;
  schedule.ConnectionLost(now);
  EXPECT_FALSE(schedule.Due(now + 1999));
  EXPECT_TRUE(schedule.Due(now + 2000));
}

TEST(ReconnectScheduleTest, AWakeAsksForACheckAtOnceAndRetriesOnlyWhenAllowed) {
  cReconnectSchedule quiet;
  quiet.CheckSoon(5000, false);
  EXPECT_TRUE(quiet.Due(5000));
  quiet.Checked(5000, false);
  EXPECT_TRUE(TriesWhileDown(quiet, 5000, 200000).empty());

  cReconnectSchedule retrying;
  retrying.CheckSoon(5000, true);
  EXPECT_TRUE(retrying.Due(5000));
  retrying.Checked(5000, false);
  EXPECT_EQ(TriesWhileDown(retrying, 5000, 200000),
            (std::vector<uint32_t>{2000, 5000, 10000, 30000, 60000}));
}

TEST(ReconnectScheduleTest, TheTickCountsWrapDoesNotMatter) {
  cReconnectSchedule schedule;
  const uint32_t start = 0xFFFFFFFFu - 1000;
  schedule.ConnectionLost(start);
  EXPECT_FALSE(schedule.Due(start + 1500));  // wrapped past zero
  EXPECT_TRUE(schedule.Due(start + 2000));
}

}  // namespace

}  // namespace hv
