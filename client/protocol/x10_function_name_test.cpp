#include "client/protocol/x10_function_name.h"

#include <gtest/gtest.h>

namespace hv {

TEST(X10FunctionNameTest, CodesWithoutARowHaveNoName) {
  for (int32_t code : {254, 18, 19, 40, -1, 255}) {
    EXPECT_STREQ(X10FunctionName(code, 0), "") << code;
    EXPECT_STREQ(X10FunctionName(code, 1), "") << code;
  }
}

// A code, the short-form flag, and the name shown: only the flag value 1 asks for the short
// form, which falls back to the name where a code has no short name; the last rows reach
// both ends of the table and either side of its gaps.
TEST(X10FunctionNameTest, NamesAndShortNames) {
  const struct {
    int32_t code, short_form;
    const char* name;
  } cases[] = {
      {1, 1, "All On"},
      {1, 0, "All Lights On"},
      {1, 2, "All Lights On"},
      {2, 1, "On"},
      {16, 1, "Toggle"},
      {16, 0, "Toggle On/Off"},
      {22, 1, "Open"},
      {34, 1, "Light On"},
      {36, 1, "Motion"},
      {0, 0, "All Units Off"},
      {11, 0, "Pre-set Dim (2)"},
      {17, 0, "Temperature"},
      {20, 0, "Door/Window Open (Min)"},
      {39, 0, "Unknown security code"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(X10FunctionName(c.code, c.short_form), c.name)
        << c.code << " short form " << c.short_form;
  }
}

}  // namespace hv
