#include "core/string/clock_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/testing/scoped_env.h"
#include "core/testing/scoped_user_locale.h"

namespace hv {

using hv::FormatClockFields;
using hv::FormatLocalClock;

TEST(ClockTextTest, AmAndPmAndTheUsDateUnderEveryLocale) {
  const std::tm evening = CalendarFields(2026, 3, 7, 17, 30, 5);
  std::tm midnight = CalendarFields(2026, 12, 31, 0, 0, 0);
  midnight.tm_wday = 4;
  for (const char* name : {"C", hv::test::kCommaLocales[0], hv::test::kCommaLocales[1]}) {
    hv::test::cScopedUserLocale locale(name);
    ASSERT_TRUE(locale.ok()) << name << " is missing: run scripts/install-deps";
    EXPECT_EQ(FormatClockFields(evening, "%m/%d/%Y - %I:%M:%S %p"), "03/07/2026 - 05:30:05 PM")
        << name;
    EXPECT_EQ(FormatClockFields(midnight, "%I:%M %p"), "12:00 AM") << name;
    EXPECT_EQ(FormatClockFields(midnight, "%b %a"), "Dec Thu") << name;
  }
}

TEST(ClockTextTest, LocalMomentsAndTextsTooLongForTheBuffer) {
  {
    hv::test::cScopedEnv zone("TZ", "UTC0");
    tzset();
    EXPECT_EQ(FormatLocalClock(0, "%m/%d/%Y %I:%M:%S %p"), "01/01/1970 12:00:00 AM");
    EXPECT_EQ(FormatLocalClock(86400 + 13 * 3600, "%I %p"), "01 PM");
  }
  tzset();
  EXPECT_EQ(FormatClockFields(CalendarFields(2026, 1, 1, 0, 0, 0), std::string(300, 'x').c_str()),
            "");
}

}  // namespace hv
