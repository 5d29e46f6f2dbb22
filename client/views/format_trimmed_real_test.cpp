#include "client/views/format_trimmed_real.h"

#include <gtest/gtest.h>

namespace hv {

TEST(FormatTrimmedRealTest, DropsTrailingZerosAndABarePoint) {
  EXPECT_STREQ(FormatTrimmedReal(100.0).CStr(), "100");
  EXPECT_STREQ(FormatTrimmedReal(0.5).CStr(), "0.5");
  EXPECT_STREQ(FormatTrimmedReal(21.25).CStr(), "21.25");
  EXPECT_STREQ(FormatTrimmedReal(-3.0).CStr(), "-3");
  EXPECT_STREQ(FormatTrimmedReal(0.0).CStr(), "0");
  EXPECT_STREQ(FormatTrimmedReal(75.5).CStr(), "75.5");
  // "%f" keeps six decimals, so smaller parts round away.
  EXPECT_STREQ(FormatTrimmedReal(1.0000004).CStr(), "1");
  EXPECT_STREQ(FormatTrimmedReal(1e20).CStr(), "100000000000000000000");
}

}  // namespace hv
