#include "client/protocol/x10_function_name.h"

#include <gtest/gtest.h>

namespace hv {

TEST(X10FunctionNameTest, CodesWithoutARowHaveNoName) {
  for (int32_t code : {254, 18, 19, 40, -1, 255}) {
    EXPECT_STREQ(X10FunctionName(code, 0), "") << code;
    EXPECT_STREQ(X10FunctionName(code, 1), "") << code;
  }
}

TEST(X10FunctionNameTest, ShortFormFallsBackToTheNameWhereThereIsNoShortName) {
  EXPECT_STREQ(X10FunctionName(1, 1), "All On");
  EXPECT_STREQ(X10FunctionName(1, 0), "All Lights On");
  EXPECT_STREQ(X10FunctionName(2, 1), "On");
  EXPECT_STREQ(X10FunctionName(16, 1), "Toggle");
  EXPECT_STREQ(X10FunctionName(16, 0), "Toggle On/Off");
  EXPECT_STREQ(X10FunctionName(22, 1), "Open");
  EXPECT_STREQ(X10FunctionName(34, 1), "Light On");
  EXPECT_STREQ(X10FunctionName(36, 1), "Motion");
  // Only the flag value 1 asks for the short form.
  EXPECT_STREQ(X10FunctionName(1, 2), "All Lights On");
}

TEST(X10FunctionNameTest, EveryRowOfTheTableIsReachable) {
  EXPECT_STREQ(X10FunctionName(0, 0), "All Units Off");
  EXPECT_STREQ(X10FunctionName(11, 0), "Pre-set Dim (2)");
  EXPECT_STREQ(X10FunctionName(17, 0), "Temperature");
  EXPECT_STREQ(X10FunctionName(20, 0), "Door/Window Open (Min)");
  EXPECT_STREQ(X10FunctionName(39, 0), "Unknown security code");
}

}  // namespace hv
