#include "core/string/real_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

#include "core/testing/scoped_user_locale.h"

namespace hv {

using hv::FixedRealText;
using hv::ParseRealText;
using hv::TrimmedRealText;

TEST(RealTextTest, WritesAsPrintfDoesInTheCLocale) {
  for (double value : {0.0, -0.0, 21.5, -3.25, 0.05, 2.5, 1e300, -1e-7, 123456789.123456789}) {
    for (int decimals : {0, 1, 6}) {
      char expected[400];
      std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
      EXPECT_EQ(FixedRealText(value, decimals), expected) << value << " " << decimals;
    }
  }
  EXPECT_EQ(FixedRealText(std::numeric_limits<double>::infinity(), 6), "inf");
  EXPECT_EQ(TrimmedRealText(21.5), "21.5");
  EXPECT_EQ(TrimmedRealText(100.0), "100");
  EXPECT_EQ(TrimmedRealText(0.0), "0");
  EXPECT_EQ(TrimmedRealText(-0.125), "-0.125");
  EXPECT_EQ(TrimmedRealText(std::numeric_limits<double>::infinity()), "inf");
}

TEST(RealTextTest, ReadsWholeTextsOnly) {
  double value = -1;
  EXPECT_TRUE(ParseRealText("21.5", &value));
  EXPECT_EQ(value, 21.5);
  EXPECT_TRUE(ParseRealText(" -2e3", &value));
  EXPECT_EQ(value, -2000);
  value = 7;
  for (const char* bad : {"", "21,5", "21.5x", "x", "1 2", "."}) {
    EXPECT_FALSE(ParseRealText(bad, &value)) << bad;
    EXPECT_EQ(value, 7) << bad;
  }
}

// Under a user locale the C library writes and reads a comma; the system's texts must not.
TEST(RealTextTest, UserLocalesChangeNothing) {
  for (const char* name : hv::test::kCommaLocales) {
    hv::test::cScopedUserLocale locale(name);
    ASSERT_TRUE(locale.ok()) << name << " is missing: run scripts/install-deps";
    EXPECT_EQ(FixedRealText(21.5, 6), "21.500000") << name;
    EXPECT_EQ(TrimmedRealText(21.25), "21.25") << name;
    double value = 0;
    EXPECT_TRUE(ParseRealText("21.5", &value)) << name;
    EXPECT_EQ(value, 21.5) << name;
    EXPECT_FALSE(ParseRealText("21,5", &value)) << name;
  }
}

}  // namespace hv
