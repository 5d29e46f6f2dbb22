#include "core/string/hex_digit.h"

#include <gtest/gtest.h>

TEST(HexDigitValueTest, BothCasesAreDigitsAndEverythingElseIsNot) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  for (char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0', '\xff'}) {
    EXPECT_EQ(HexDigitValue(c), -1) << static_cast<int>(c);
  }
}
