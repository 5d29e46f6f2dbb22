#include "client/views/log_entry_texts.h"

#include <gtest/gtest.h>

#include "client/protocol/log_item_record.h"
#include "client/platform/clock.h"

namespace {

TEST(LogEntryTextsTest, TypesHaveTheirTextAndImage) {
  struct cCase {
    int32_t type, function_code;
    const char* text;
    int32_t image;
  };
  const cCase cases[] = {
      {1, 254, "Info", 1},         {2, 0, "Warning", 2},        {3, 254, "Error", 3},
      {4, 0, "Sensor", 4},         {4, 1, "Sensor", 5},         {4, 2, "Sensor", 5},
      {5, 3, "X10 Sensor", 7},     {5, 2, "X10 Sensor", 8},     {6, 3, "Switch", 10},
      {6, 1, "Switch", 11},        {7, 1, "Macro", 13},         {8, 0, "Email", 14},
      {9, 0, "Sound", 15},         {10, 0, "Video", 16},        {11, 0, "Temperature", 17},
      {12, 0, "User", 18},         {13, 0, "User Message", 19}, {14, 0, "Debug", 20},
      {15, 0, "Set Mode", 21},     {0, 1, "Unknown", 0},        {16, 1, "Unknown", 0},
      {99, 2, "Unknown", 0},       {-3, 0, "Unknown", 0},
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
  cLocalTime midnight;
  midnight.year = 2009;
  midnight.month = 1;
  midnight.day = 5;
  midnight.hour = 0;
  midnight.minute = 7;
  midnight.second = 3;
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
  LogItemRecord entry;
  entry.entry_type = 10;
  entry.name = "Porch";
  entry.path = "Lights/Front";
  entry.message = "Turned on";
  entry.function_code = 2;
  entry.value = 1.5;
  entry.extra = 3;
  entry.date_text = "02/01/2009";
  entry.time_text = "01:02:03 PM";
  const char* time = "200902011302:03";
  EXPECT_EQ(LogColumnKey(entry, 0), swString("10") + time);
  EXPECT_EQ(LogColumnKey(entry, 1), swString(time));
  EXPECT_EQ(LogColumnKey(entry, 2), swString(time));
  EXPECT_EQ(LogColumnKey(entry, 3), swString("Porch [Lights]") + time);
  EXPECT_EQ(LogColumnKey(entry, 4), swString("Turned on") + time);
  EXPECT_EQ(LogColumnKey(entry, 5), swString("2") + time);
  EXPECT_EQ(LogColumnKey(entry, 6), swString("1.5000003") + time);
}

}  // namespace
