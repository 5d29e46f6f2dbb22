#include "client/views/log/log_search.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

TEST(LogSearchTest, PlainTextIsFoundAnywhereWhateverItsCaseAndTakenLiterally) {
  cLogSearch search;
  EXPECT_FALSE(search.IsActive());
  EXPECT_TRUE(search.Matches("anything"));  // no search: every row
  ASSERT_TRUE(search.Set("porch", false).ok());
  EXPECT_TRUE(search.IsActive());
  EXPECT_TRUE(search.Matches("Front PORCH light"));
  EXPECT_FALSE(search.Matches("Hall"));
  ASSERT_TRUE(search.Set("a.b (", false).ok());  // not a pattern: no complaint
  EXPECT_TRUE(search.Matches("xa.b (y"));
  EXPECT_FALSE(search.Matches("axb ("));
  ASSERT_TRUE(search.Set("", false).ok());
  EXPECT_FALSE(search.IsActive());
}

TEST(LogSearchTest, RegularExpressionsMatchAndABadOneIsExplainedAndChangesNothing) {
  cLogSearch search;
  ASSERT_TRUE(search.Set("^(porch|hall) light$", true).ok());
  EXPECT_TRUE(search.Matches("Hall Light"));
  EXPECT_FALSE(search.Matches("Hall Light 2"));
  const Status bad = search.Set("(porch", true);
  EXPECT_TRUE(bad.Is(Where::kUi, kBadSearchPattern));
  EXPECT_EQ(bad.message().rfind("Invalid regular expression: ", 0), 0u);
  EXPECT_NE(bad.message().find("(at character 7)"), std::string::npos);
  // The former search goes on.
  EXPECT_TRUE(search.Matches("hall light"));
  EXPECT_FALSE(search.Matches("kitchen"));
}

TEST(LogSearchTest, CodePageTextIsSearchedAsTheUserReadsIt) {
  cLogSearch search;
  // "CAFÉ" typed by the user (UTF-8) finds "café" as a Windows-1252 server sent it.
  ASSERT_TRUE(search.Set("CAF\xC3\x89", false).ok());
  EXPECT_TRUE(search.Matches("Caf\xE9 lights"));
  EXPECT_TRUE(search.Matches("caf\xC3\xA9"));
  EXPECT_FALSE(search.Matches("cafe"));
  ASSERT_TRUE(search.Set("^caf.$", true).ok());  // one character, not one byte
  EXPECT_TRUE(search.Matches("caf\xC3\xA9"));
  EXPECT_TRUE(search.Matches("caf\xE9"));
}

}  // namespace

}  // namespace hv
