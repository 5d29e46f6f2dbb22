#include "client/platform/command_line_split.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsWindowsQuoting) {
  EXPECT_EQ(SplitCommandLine(nullptr), Args{});
  EXPECT_EQ(SplitCommandLine("   "), Args{});
  EXPECT_EQ(SplitCommandLine("a b\tc"), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitCommandLine("-x \"a b\" c"), (Args{"-x", "a b", "c"}));
  EXPECT_EQ(SplitCommandLine("\"\""), (Args{""}));
  EXPECT_EQ(SplitCommandLine("C:\\dir\\file.txt"), (Args{"C:\\dir\\file.txt"}));
  EXPECT_EQ(SplitCommandLine("a\\\\\"b c\""), (Args{"a\\b c"}));  // 2n backslashes + quote
  EXPECT_EQ(SplitCommandLine("a\\\"b"), (Args{"a\"b"}));          // 2n+1 backslashes + quote
  EXPECT_EQ(SplitCommandLine("\"say \"\"hi\"\"\""), (Args{"say \"hi\""}));
  // Shell syntax is just text: nothing is expanded or run.
  EXPECT_EQ(SplitCommandLine("$(rm -rf x); `y` *"), (Args{"$(rm", "-rf", "x);", "`y`", "*"}));
}

}  // namespace

}  // namespace hv
