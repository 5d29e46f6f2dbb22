#include "client/views/log/log_search.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

TEST(LogSearchTest, PlainTextIsFoundAnywhereWhateverItsCaseAndTakenLiterally) {
  cLogSearch search;
  EXPECT_FALSE(search.IsActive());
  EXPECT_TRUE(search.Matches("anything"));  // no search: every row
  ASSERT_EQ(search.Set("porch", false, nullptr), 0);
  EXPECT_TRUE(search.IsActive());
  EXPECT_TRUE(search.Matches("Front PORCH light"));
  EXPECT_FALSE(search.Matches("Hall"));
  ASSERT_EQ(search.Set("a.b (", false, nullptr), 0);  // not a pattern: no complaint
  EXPECT_TRUE(search.Matches("xa.b (y"));
  EXPECT_FALSE(search.Matches("axb ("));
  ASSERT_EQ(search.Set("", false, nullptr), 0);
  EXPECT_FALSE(search.IsActive());
}

TEST(LogSearchTest, RegularExpressionsMatchAndABadOneIsExplainedAndChangesNothing) {
  cLogSearch search;
  ASSERT_EQ(search.Set("^(porch|hall) light$", true, nullptr), 0);
  EXPECT_TRUE(search.Matches("Hall Light"));
  EXPECT_FALSE(search.Matches("Hall Light 2"));
  swString error;
  EXPECT_EQ(search.Set("(porch", true, &error), kBadSearchPattern);
  EXPECT_EQ(std::string(error.CStr()).rfind("Invalid regular expression: ", 0), 0u);
  EXPECT_NE(std::string(error.CStr()).find("(at character 7)"), std::string::npos);
  // The former search goes on.
  EXPECT_TRUE(search.Matches("hall light"));
  EXPECT_FALSE(search.Matches("kitchen"));
}

TEST(LogSearchTest, CodePageTextIsSearchedAsTheUserReadsIt) {
  cLogSearch search;
  // "CAFÉ" typed by the user (UTF-8) finds "café" as a Windows-1252 server sent it.
  ASSERT_EQ(search.Set("CAF\xC3\x89", false, nullptr), 0);
  EXPECT_TRUE(search.Matches("Caf\xE9 lights"));
  EXPECT_TRUE(search.Matches("caf\xC3\xA9"));
  EXPECT_FALSE(search.Matches("cafe"));
  ASSERT_EQ(search.Set("^caf.$", true, nullptr), 0);  // one character, not one byte
  EXPECT_TRUE(search.Matches("caf\xC3\xA9"));
  EXPECT_TRUE(search.Matches("caf\xE9"));
}

}  // namespace

}  // namespace hv
