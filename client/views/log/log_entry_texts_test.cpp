#include "client/views/log/log_entry_texts.h"

#include <gtest/gtest.h>
#include <strings.h>

#include <string>
#include <vector>

#include "client/platform/clock.h"
#include "client/protocol/log_item_record.h"

namespace hv {

namespace {

TEST(LogEntryTextsTest, TypesHaveTheirTextAndImage) {
  struct cCase {
    int32_t type, function_code;
    const char* text;
    int32_t image;
  };
  const cCase cases[] = {
      {1, 254, "Info", 1},     {2, 0, "Warning", 2},        {3, 254, "Error", 3},
      {4, 0, "Sensor", 4},     {4, 1, "Sensor", 5},         {4, 2, "Sensor", 5},
      {5, 3, "X10 Sensor", 7}, {5, 2, "X10 Sensor", 8},     {6, 3, "Switch", 10},
      {6, 1, "Switch", 11},    {7, 1, "Macro", 13},         {8, 0, "Email", 14},
      {9, 0, "Sound", 15},     {10, 0, "Video", 16},        {11, 0, "Temperature", 17},
      {12, 0, "User", 18},     {13, 0, "User Message", 19}, {14, 0, "Debug", 20},
      {15, 0, "Set Mode", 21}, {0, 1, "Unknown", 0},        {16, 1, "Unknown", 0},
      {99, 2, "Unknown", 0},   {-3, 0, "Unknown", 0},
  };
  for (const cCase& c : cases) {
    EXPECT_STREQ(LogEntryTypeText(c.type), c.text) << c.type;
    EXPECT_EQ(LogEntryImage(c.type, c.function_code), c.image) << c.type << " " << c.function_code;
  }
}

TEST(LogEntryTextsTest, NameIdAndDataTexts) {
  EXPECT_STREQ(LogNameIdText("Porch", "Lights/Front").CStr(), "Porch [Lights]");
  EXPECT_STREQ(LogNameIdText("Porch", "Lights").CStr(), "Porch [Lights]");
  EXPECT_STREQ(LogNameIdText("Porch", "/Front").CStr(), "Porch");
  EXPECT_STREQ(LogNameIdText("", "Lights/Front").CStr(), "Lights/Front");
  EXPECT_STREQ(LogNameIdText("", "").CStr(), "");

  EXPECT_STREQ(LogDataText(6, 21.5, 0).CStr(), " 21.5");
  EXPECT_STREQ(LogDataText(6, 3, 2).CStr(), " 3, 2");
  EXPECT_STREQ(LogDataText(6, 0, 7).CStr(), " 0, 7");
  EXPECT_STREQ(LogDataText(11, 0, 0).CStr(), " 0");
  EXPECT_STREQ(LogDataText(6, 0, 0).CStr(), "");
  EXPECT_STREQ(LogDataText(6, -2.25, 0).CStr(), " -2.2");
}

TEST(LogEntryTextsTest, NowIsWrittenAsTheServerWritesDates) {
  cLocalTime midnight{.year = 2009, .month = 1, .day = 5, .hour = 0, .minute = 7, .second = 3};
  EXPECT_STREQ(FormatLogDate(midnight).CStr(), "01/05/2009");
  EXPECT_STREQ(FormatLogTime(midnight).CStr(), "12:07:03 AM");
  midnight.hour = 12;
  EXPECT_STREQ(FormatLogTime(midnight).CStr(), "12:07:03 PM");
  midnight.hour = 23;
  EXPECT_STREQ(FormatLogTime(midnight).CStr(), "11:07:03 PM");
}

TEST(LogEntryTextsTest, TimeKeysOrderByYearMonthDayAndTwentyFourHours) {
  EXPECT_STREQ(LogTimeKey("12/31/2008", "12:00:01 AM").CStr(), "200812310000:01");
  EXPECT_STREQ(LogTimeKey("01/15/2009", "12:30:00 PM").CStr(), "200901151230:00");
  EXPECT_STREQ(LogTimeKey("01/15/2009", "01:30:00 pm").CStr(), "200901151330:00");
  EXPECT_STREQ(LogTimeKey("01/15/2009", "09:05:00 AM").CStr(), "200901150905:00");
  // Whatever a server sends, a key is made without reading past the text.
  EXPECT_STREQ(LogTimeKey("", "").CStr(), "00");
  EXPECT_STREQ(LogTimeKey("1/2/3", "PM").CStr(), "/2/31//312");
  EXPECT_STREQ(LogTimeKey("x", "7").CStr(), "xx07");
}

TEST(LogEntryTextsTest, ColumnKeysPutTheColumnBeforeTheTime) {
  const LogItemRecord entry{.entry_type = 10,
                            .name = "Porch",
                            .message = "Turned on",
                            .path = "Lights/Front",
                            .function_code = 2,
                            .value = 1.5,
                            .extra = 3,
                            .date_text = "02/01/2009",
                            .time_text = "01:02:03 PM"};
  const char* time = "200902011302:03";
  EXPECT_EQ(LogColumnKey(entry, 0), swString("10") + time);
  EXPECT_EQ(LogColumnKey(entry, 1), swString(time));
  EXPECT_EQ(LogColumnKey(entry, 2), swString(time));
  EXPECT_EQ(LogColumnKey(entry, 3), swString("Porch [Lights]") + time);
  EXPECT_EQ(LogColumnKey(entry, 4), swString("Turned on") + time);
  EXPECT_EQ(LogColumnKey(entry, 5), swString("2") + time);
  EXPECT_EQ(LogColumnKey(entry, 6), swString("1.5000003") + time);
}

// The keys a sort builds once order every pair of entries exactly as the case-insensitive
// comparison of their column keys does, so the faster sort keeps the same order.
TEST(LogEntryTextsTest, SortKeysOrderAsTheCaseInsensitiveColumnKeys) {
  const char* names[] = {"porch", "Porch", "PORCH_", "Hall", "hall[",     "",
                         "Z",     "a",     "10",     "9",    "\xE9t\xE9", "\xC9T\xC9"};
  std::vector<LogItemRecord> entries;
  for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
    LogItemRecord entry;
    entry.entry_type = static_cast<int32_t>(i * 7 % 16);
    entry.name = names[i];
    entry.path = i % 3 == 0 ? "Lights/Front" : "";
    entry.message = names[(i + 5) % 12];
    entry.function_code = static_cast<int32_t>(i * 13 % 30);
    entry.value = i % 4 == 0 ? -1.5 : static_cast<double>(i);
    entry.extra = static_cast<int32_t>(i % 3);
    entry.date_text = i % 5 == 0 ? "1/2/3" : "01/15/2009";
    entry.time_text = i % 2 == 0 ? "12:30:00 am" : "07:05:00 PM";
    entries.push_back(entry);
  }
  // A text with a zero byte inside compares only up to it.
  entries[4].message = swString("cut\0here", 8);
  const auto sign = [](int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; };
  for (int32_t column = 0; column < kLogColumnCount; ++column) {
    for (const LogItemRecord& a : entries) {
      for (const LogItemRecord& b : entries) {
        std::string key_a;
        std::string key_b;
        AppendLogSortKey(a, column, key_a);
        AppendLogSortKey(b, column, key_b);
        const int fast = sign(key_a.compare(key_b));
        const int slow =
            sign(LogColumnKey(a, column).CompareNoCase(LogColumnKey(b, column).CStr()));
        ASSERT_EQ(fast, slow) << column << ": " << LogColumnKey(a, column).CStr() << " / "
                              << LogColumnKey(b, column).CStr();
      }
    }
  }
  std::string key = "kept ";
  AppendLogSortKey(entries[1], kLogColumnNameId, key);
  EXPECT_EQ(key.rfind("kept porch", 0), 0u);  // appended, folded, the start kept
}

}  // namespace

}  // namespace hv
