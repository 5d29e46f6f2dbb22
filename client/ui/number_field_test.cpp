#include "client/ui/number_field.h"

#include <gtest/gtest.h>

namespace hv {

TEST(NumberFieldTest, AcceptsWholeNumbersWithinTheRange) {
  int32_t value = -7;
  EXPECT_TRUE(ParseNumberInRange("0", 0, 65535, &value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(ParseNumberInRange(" 65535 ", 0, 65535, &value));
  EXPECT_EQ(value, 65535);
  EXPECT_TRUE(ParseNumberInRange("-3", -5, 5, &value));
  EXPECT_EQ(value, -3);
  EXPECT_TRUE(ParseNumberInRange("+12", 0, 100, &value));
  EXPECT_EQ(value, 12);
}

TEST(NumberFieldTest, RefusesAnythingElseAndKeepsTheValue) {
  int32_t value = 42;
  for (const char* text : {"", " ", "65536", "-1", "12a", "a12", "1.5", "-", "+",
                           "99999999999999999999", "0x10", "1 2"}) {
    EXPECT_FALSE(ParseNumberInRange(text, 0, 65535, &value)) << text;
  }
  EXPECT_FALSE(ParseNumberInRange(nullptr, 0, 10, &value));
  EXPECT_EQ(value, 42);
}

TEST(NumberFieldTest, RangeMessageNamesTheBounds) {
  EXPECT_STREQ(NumberRangeMessage(0, 100).CStr(), "Please enter an integer between 0 and 100.");
}

}  // namespace hv
