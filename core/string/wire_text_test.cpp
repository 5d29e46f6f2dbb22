#include "core/string/wire_text.h"

#include <gtest/gtest.h>

#include <string>

namespace hv {

TEST(WireTextTest, TypedTextGoesOutInTheCodePageWhenItCan) {
  EXPECT_EQ(TextToWire("Caf\xC3\xA9"), "Caf\xE9");  // 43 61 66 e9, as a Windows server reads it
  EXPECT_EQ(TextToWire("\xE2\x82\xAC 5 \xE2\x80\x9Cok\xE2\x80\x9D"), "\x80 5 \x93ok\x94");
  EXPECT_EQ(TextToWire("plain"), "plain");
  EXPECT_EQ(TextToWire(""), "");
  // One character without a form there keeps the whole text in UTF-8: nothing is lost.
  EXPECT_EQ(TextToWire("Caf\xC3\xA9 \xE2\x98\x95"), "Caf\xC3\xA9 \xE2\x98\x95");
  EXPECT_EQ(TextToWire("\xD0\x9C\xD0\xB8\xD1\x80"), "\xD0\x9C\xD0\xB8\xD1\x80");
  // Code-page text from an older store is already in the server's form.
  EXPECT_EQ(TextToWire("Caf\xE9"), "Caf\xE9");
}

TEST(WireTextTest, ReceivedTextIsReadAsUtf8OrElseAsTheCodePage) {
  EXPECT_EQ(TextFromWire("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(TextFromWire("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(TextFromWire("\x80\x9F"), "\xE2\x82\xAC\xC5\xB8");
  EXPECT_EQ(TextFromWire("caf\xC3"), "caf\xC3\x83");  // a cut-off sequence is not UTF-8
}

TEST(WireTextTest, EveryByteSurvivesTheCodePageBothWays) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsUtf8(utf8));
  std::string back;
  ASSERT_TRUE(Utf8ToWindows1252(utf8, &back));
  EXPECT_EQ(back, all);
  // The undefined bytes map to the control characters of the same value.
  EXPECT_EQ(Windows1252ToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D");
}

TEST(WireTextTest, MalformedUtf8IsRecognised) {
  const char* malformed[] = {
      "\xC3",              // cut off
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong, three bytes
      "\xED\xA0\x80",      // a surrogate
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\xF8\x88\x80\x80",  // five-byte lead
      "\xA9",              // a lone continuation byte
      "a\xC3\x62",         // a lead byte followed by ASCII ('b')
  };
  for (const char* text : malformed) {
    EXPECT_FALSE(IsUtf8(text)) << text;
    std::string out = "untouched";
    EXPECT_FALSE(Utf8ToWindows1252(text, &out));
    EXPECT_EQ(out, "untouched");
  }
  EXPECT_TRUE(IsUtf8("\xF0\x9F\x8F\xA0 \xEF\xBF\xBF \xC2\x80"));
}

}  // namespace hv
