#include "client/views/log/log_row_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/views/log/activity_items.h"
#include "client/views/log/log_entry_texts.h"

namespace hv {

namespace {

// The seven texts a row shows for the item, in column order.
std::vector<std::string> RowOf(const cLogRowTexts& texts, const CActivityItem* item) {
  std::vector<std::string> row;
  for (int32_t column = 0; column < kLogColumnCount; ++column) {
    const std::string_view text = texts.Text(cLogRowTexts::ValueOf(item), column);
    EXPECT_EQ(text.data()[text.size()], '\0');  // handed on as a C string
    row.emplace_back(text);
  }
  return row;
}

TEST(LogRowTextsTest, ARowShowsItsEntryAsTheLogWritesIt) {
  CActivityItemList stored;
  LogItemRecord entry;
  entry.entry_type = 6;
  entry.name = "Porch";
  entry.path = "Lights/Front";
  entry.message = "Turned on";
  entry.function_code = 2;
  entry.value = 3;
  entry.extra = 2;
  entry.date_text = "01/15/2009";
  entry.time_text = "07:30:00 PM";
  const CActivityItem* item = stored.Append(entry, 1);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(cLogRowTexts::ItemOf(cLogRowTexts::ValueOf(item)), item);

  const cLogRowTexts texts;
  EXPECT_EQ(RowOf(texts, item),
            (std::vector<std::string>{"Switch", "01/15/2009", "07:30:00 PM", "Porch [Lights]",
                                      "Turned on", "On", " 3, 2"}));

  // Without a name the whole path; a type outside the table, a code without a name, and no
  // value show as the log always showed them.
  entry.entry_type = 99;
  entry.name = "";
  entry.function_code = 254;
  entry.value = 0;
  entry.extra = 0;
  entry.message = "";
  const CActivityItem* bare = stored.Append(entry, 1);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(RowOf(texts, bare), (std::vector<std::string>{"Unknown", "01/15/2009", "07:30:00 PM",
                                                          "Lights/Front", "", "", ""}));
  // A Temperature always shows its value.
  entry.entry_type = 11;
  entry.value = 21.5;
  const CActivityItem* warm = stored.Append(entry, 1);
  ASSERT_NE(warm, nullptr);
  EXPECT_EQ(texts.Text(cLogRowTexts::ValueOf(warm), kLogColumnData), " 21.5");

  // A row without an item, or a column the log does not have, shows nothing.
  EXPECT_EQ(texts.Text(0, kLogColumnType), "");
  EXPECT_EQ(texts.Text(cLogRowTexts::ValueOf(item), kLogColumnCount), "");
}

}  // namespace

}  // namespace hv
