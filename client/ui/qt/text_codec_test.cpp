#include "client/ui/qt/text_codec.h"

#include <gtest/gtest.h>

namespace hv {

TEST(TextCodecTest, ValidUtf8IsReadAsUtf8) {
  EXPECT_EQ(DecodeText("Gr\xC3\xBC\xC3\x9F"
                       "e"),
            QStringLiteral("Grüße"));
  EXPECT_EQ(DecodeText("Porch"), QStringLiteral("Porch"));
  EXPECT_EQ(DecodeText(static_cast<const char*>(nullptr)), QString());
}

TEST(TextCodecTest, AnythingElseIsReadAsWindows1252) {
  EXPECT_EQ(DecodeText("\xE9t\xE9"), QStringLiteral("été"));
  EXPECT_EQ(DecodeText("\x80 5"), QStringLiteral("€ 5"));
  EXPECT_EQ(DecodeText("\x93quoted\x94"), QString::fromUtf16(u"\u201Cquoted\u201D"));
  // Bytes the code page leaves undefined still come through, as control characters.
  EXPECT_EQ(DecodeText("\x81").at(0).unicode(), 0x81);
  // A truncated UTF-8 sequence is not UTF-8.
  EXPECT_EQ(DecodeText("caf\xC3"), QStringLiteral("cafÃ"));
}

TEST(TextCodecTest, TypedTextGoesBackAsUtf8) {
  EXPECT_STREQ(EncodeText(QStringLiteral("été")).CStr(), "\xC3\xA9t\xC3\xA9");
  EXPECT_STREQ(EncodeText(DecodeText("Gr\xC3\xBC\xC3\x9F"
                                     "e"))
                   .CStr(),
               "Gr\xC3\xBC\xC3\x9F"
               "e");
  EXPECT_EQ(EncodeText(QString()).GetLength(), 0u);
}

}  // namespace hv
