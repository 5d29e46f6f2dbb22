#include "client/history/server_log_time.h"

#include <gtest/gtest.h>

#include <ctime>

#include "core/string/clock_text.h"
#include "core/testing/scoped_env.h"

namespace hv::history {
namespace {

// Central Europe with its summer time, written out so the test needs no zone files.
class ServerLogTimeTest : public ::testing::Test {
 protected:
  ServerLogTimeTest() : zone_("TZ", "CET-1CEST,M3.5.0,M10.5.0/3") { tzset(); }
  static int64_t Utc(int year, int month, int day, int hour, int minute) {
    std::tm fields = CalendarFields(year, month, day, hour, minute, 0);
    return static_cast<int64_t>(timegm(&fields)) * 1000;
  }
  // Destroyed in reverse: the zone is put back, then read again.
  struct ReadZoneAgain {
    ~ReadZoneAgain() { tzset(); }
  } read_again_;
  test::cScopedEnv zone_;
};

TEST_F(ServerLogTimeTest, AnEntryIsPlacedAtTheServersWallClockInTheLocalZone) {
  const int64_t arrival = Utc(2026, 3, 16, 9, 0);
  // Winter: one hour east of UTC; the twelve o'clocks of both halves of the day.
  EXPECT_EQ(ServerLogTime("03/15/2026", "02:30:05 PM", arrival), Utc(2026, 3, 15, 13, 30) + 5000);
  EXPECT_EQ(ServerLogTime("03/15/2026", "12:10:00 am", arrival), Utc(2026, 3, 14, 23, 10));
  EXPECT_EQ(ServerLogTime("03/15/2026", "12:10:00 PM", arrival), Utc(2026, 3, 15, 11, 10));
  EXPECT_EQ(ServerLogTime("03/15/2026", "23:10:00", arrival), Utc(2026, 3, 15, 22, 10));
  // Summer: two hours east.
  EXPECT_EQ(ServerLogTime("07/01/2026", "08:00:00 AM", Utc(2026, 7, 2, 0, 0)),
            Utc(2026, 7, 1, 6, 0));
}

TEST_F(ServerLogTimeTest, TheHourThatComesTwiceIsTheLatestNotAfterTheArrival) {
  // 02:30 on 10/25/2026 is 00:30 UTC in summer time and 01:30 UTC after the change.
  EXPECT_EQ(ServerLogTime("10/25/2026", "02:30:00 AM", Utc(2026, 10, 25, 0, 40)),
            Utc(2026, 10, 25, 0, 30));
  EXPECT_EQ(ServerLogTime("10/25/2026", "02:30:00 AM", Utc(2026, 10, 25, 1, 40)),
            Utc(2026, 10, 25, 1, 30));
  EXPECT_EQ(ServerLogTime("10/25/2026", "02:30:00 AM", Utc(2026, 12, 1, 0, 0)),
            Utc(2026, 10, 25, 1, 30));
  // The hour the spring change skips is read on the clock of before it.
  EXPECT_EQ(ServerLogTime("03/29/2026", "02:30:00 AM", Utc(2026, 3, 30, 0, 0)),
            Utc(2026, 3, 29, 1, 30));
}

TEST_F(ServerLogTimeTest, WhatCannotBeReadOrLiesAheadIsPlacedAtItsArrival) {
  const int64_t arrival = Utc(2026, 3, 16, 9, 0);
  for (auto [date, time] : {std::pair{"", ""},
                            {"13/01/2026", "01:00:00 PM"},
                            {"02/29/2026", "01:00:00 PM"},
                            {"02/28/2026", "1:00:00 PM"},
                            {"02/28/2026", "00:10:00 AM"},
                            {"02/28/2026", "01:60:00 PM"},
                            {"02/28/2026", "01:00:00 XM"},
                            {"2/28/2026", "01:00:00 PM"},
                            {"02/28/2026 ", "01:00:00 PM"},
                            {"02/28/2026", "24:00:00"}}) {
    EXPECT_EQ(ServerLogTime(date, time, arrival), arrival) << date << " " << time;
  }
  EXPECT_EQ(ServerLogTime("02/29/2028", "01:00:00 PM", arrival), arrival);  // ahead
  // A server clock a little ahead is believed; an hour ahead (another zone) is not.
  EXPECT_EQ(ServerLogTime("03/16/2026", "10:05:00 AM", arrival), Utc(2026, 3, 16, 9, 5));
  EXPECT_EQ(ServerLogTime("03/16/2026", "11:00:00 AM", arrival), arrival);
}

}  // namespace
}  // namespace hv::history
