#include "core/string/plain_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace hv {

TEST(TrimTest, StripsOnlyTheGivenCharactersAtTheEnds) {
  EXPECT_EQ(Trim("  a b \r\n"), "a b");
  EXPECT_EQ(Trim("\v\fword\t"), "word");
  EXPECT_EQ(Trim(" \t\r "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("\" name\"\n", " \t\"\n"), "name");
  EXPECT_EQ(Trim("\nkey \t", " \t"), "\nkey");  // a set without the line end keeps it
}

TEST(SplitLinesTest, EitherLineEndAndNoEmptyLastLine) {
  using Lines = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("one"), Lines{"one"});
  EXPECT_EQ(SplitLines("one\r\ntwo\n"), (Lines{"one", "two"}));
  EXPECT_EQ(SplitLines("\n\r\nlast"), (Lines{"", "", "last"}));
  EXPECT_EQ(SplitLines("a\rb\r\r\n"), (Lines{"a\rb\r"}));  // only the CR of a line end goes
}

TEST(QuotedTest, ControlCharactersAreEscapedAndLongTextsCut) {
  EXPECT_EQ(Quoted("on"), "\"on\"");
  EXPECT_EQ(Quoted(""), "\"\"");
  EXPECT_EQ(Quoted(std::string("a\nb\x7f\0", 5)), "\"a\\x0ab\\x7f\\x00\"");
  EXPECT_EQ(Quoted("h\xc3\xa9"), "\"h\xc3\xa9\"");  // UTF-8 passes as it is
  EXPECT_EQ(Quoted("abcdef", 3), "\"abc...\"");
  EXPECT_EQ(Quoted("abc", 3), "\"abc\"");
}

}  // namespace hv
