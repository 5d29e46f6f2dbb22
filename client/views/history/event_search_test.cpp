#include "client/views/history/event_search.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(EventSearchTest, WordsAreFoundAcrossCellsAndExpressionsInACellOrAcrossThem) {
  const std::vector<std::string> row = {"2026-01-01 10:00:00", "Sensor", "Front Door",
                                        "Door/Window Open",    "0",      "Opened"};
  EventSearch search;
  ASSERT_TRUE(search.Set("", false).ok());
  EXPECT_FALSE(search.IsActive());
  EXPECT_TRUE(search.Matches(row));
  ASSERT_TRUE(search.Set("  front  DOOR opened ", false).ok());
  EXPECT_TRUE(search.Matches(row));
  ASSERT_TRUE(search.Set("front door closed", false).ok());
  EXPECT_FALSE(search.Matches(row));  // every word must be there
  ASSERT_TRUE(search.Set("sensor0", false).ok());
  EXPECT_FALSE(search.Matches(row));  // not across a cell's edge
  ASSERT_TRUE(search.Set("^Front", true).ok());
  EXPECT_TRUE(search.Matches(row));  // a cell's start
  ASSERT_TRUE(search.Set("door.*opened$", true).ok());
  EXPECT_TRUE(search.Matches(row));  // across cells
  const Status bad = search.Set("(unclosed", true);
  EXPECT_TRUE(bad.Is(Where::kHistory, kBadSearchPattern));
  EXPECT_EQ(bad.message().rfind("Invalid regular expression: ", 0), 0u);
  EXPECT_TRUE(search.Matches(row));  // the search stays as it was
}

}  // namespace
}  // namespace hv::history
