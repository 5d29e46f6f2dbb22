#include "client/views/history/event_search.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(EventSearchTest, WordsAreFoundAcrossCellsAndExpressionsInACellOrAcrossThem) {
  const std::vector<std::string> row = {"2026-01-01 10:00:00", "Sensor", "Front Door",
                                        "Door/Window Open",    "0",      "Opened"};
  EventSearch search;
  ASSERT_EQ(search.Set("", false, nullptr), 0);
  EXPECT_FALSE(search.IsActive());
  EXPECT_TRUE(search.Matches(row));
  ASSERT_EQ(search.Set("  front  DOOR opened ", false, nullptr), 0);
  EXPECT_TRUE(search.Matches(row));
  ASSERT_EQ(search.Set("front door closed", false, nullptr), 0);
  EXPECT_FALSE(search.Matches(row));  // every word must be there
  ASSERT_EQ(search.Set("sensor0", false, nullptr), 0);
  EXPECT_FALSE(search.Matches(row));  // not across a cell's edge
  ASSERT_EQ(search.Set("^Front", true, nullptr), 0);
  EXPECT_TRUE(search.Matches(row));  // a cell's start
  ASSERT_EQ(search.Set("door.*opened$", true, nullptr), 0);
  EXPECT_TRUE(search.Matches(row));  // across cells
  swString error;
  EXPECT_EQ(search.Set("(unclosed", true, &error), kBadSearchPattern);
  EXPECT_GT(error.GetLength(), 0u);
  EXPECT_TRUE(search.Matches(row));  // the search stays as it was
}

}  // namespace
}  // namespace hv::history
