#include "client/views/devices/macro_status_name.h"

#include <gtest/gtest.h>

namespace hv {

TEST(MacroStatusNameTest, UnknownCodesSayUnknownType) {
  EXPECT_STREQ(MacroStatusName(1), "Disabled");
  EXPECT_STREQ(MacroStatusName(2), "Monitoring");
  EXPECT_STREQ(MacroStatusName(3), "In Progress");
  EXPECT_STREQ(MacroStatusName(0), "Unknown type");
  EXPECT_STREQ(MacroStatusName(4), "Unknown type");
}

}  // namespace hv
