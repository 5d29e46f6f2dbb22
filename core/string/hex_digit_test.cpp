#include "core/string/hex_digit.h"

#include <gtest/gtest.h>

namespace hv {

TEST(HexDigitValueTest, BothCasesAreDigitsAndEverythingElseIsNot) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('a'), 10);
  EXPECT_EQ(HexDigitValue('F'), 15);
  for (char c : {'g', 'G', '/', ':', '@', '`', ' ', '\0', '\xff'}) {
    EXPECT_EQ(HexDigitValue(c), -1) << static_cast<int>(c);
  }
}

TEST(BytesFromHexTest, PairsBecomeBytesAndAnyFaultGivesNothing) {
  EXPECT_EQ(HexByteValue('f', 'F'), 255);
  EXPECT_EQ(HexByteValue('0', 'a'), 10);
  EXPECT_EQ(HexByteValue('a', 'x'), -1);
  EXPECT_EQ(BytesFromHex("00ff7A"), std::string("\x00\xff\x7a", 3));
  EXPECT_EQ(BytesFromHex(""), "");
  EXPECT_EQ(BytesFromHex("abc"), "");   // odd count
  EXPECT_EQ(BytesFromHex("ab0g"), "");  // the last digit is not one
  EXPECT_EQ(BytesFromHex("a b0"), "");
}

}  // namespace hv
