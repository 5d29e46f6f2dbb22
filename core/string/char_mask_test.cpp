#include "core/string/char_mask.h"

#include <gtest/gtest.h>

#include <cctype>

#include "core/testing/in_memory_serializer.h"

namespace hv {

namespace {

TEST(SwCharMaskTest, FixedMasksHoldTheirMembers) {
  for (int c = 0; c < 256; ++c) {
    auto u = static_cast<unsigned char>(c);
    EXPECT_EQ(kNumbersMask.Contains(u), c >= '0' && c <= '9') << c;
    EXPECT_EQ(kUpperMask.Contains(u), c >= 'A' && c <= 'Z') << c;
    EXPECT_EQ(kLowerMask.Contains(u), c >= 'a' && c <= 'z') << c;
    EXPECT_EQ(kControlMask.Contains(u), c < 32) << c;
    EXPECT_EQ(kHighAsciiMask.Contains(u), c >= 128) << c;
    EXPECT_TRUE(kAllMask.Contains(u)) << c;
    bool punctuation = c >= 33 && c <= 127 && !std::isalnum(c);
    EXPECT_EQ(kPunctuationMask.Contains(u), punctuation) << c;
  }
  EXPECT_TRUE(kPunctuationMask.Contains('!'));
  EXPECT_TRUE(kPunctuationMask.Contains('/'));
  EXPECT_TRUE(kPunctuationMask.Contains('~'));
  EXPECT_TRUE(kPunctuationMask.Contains(127));
  EXPECT_FALSE(kPunctuationMask.Contains(' '));
  EXPECT_FALSE(kPunctuationMask.Contains('0'));
  EXPECT_FALSE(kPunctuationMask.Contains('A'));
  EXPECT_FALSE(kPunctuationMask.Contains('a'));
  EXPECT_EQ(kNumbersMask.ClassId(), 5006);
}

TEST(SwCharMaskTest, BitLayoutAndCopies) {
  swCharMask mask;
  mask.Set('A', true);  // 65: word 2, bit 1
  EXPECT_EQ(mask.Word(2), 2u);
  mask.Set(255, true);
  EXPECT_EQ(mask.Word(7), 0x80000000u);
  swCharMask copy(mask);
  copy.Set('A', false);
  EXPECT_TRUE(mask.Contains('A'));
  EXPECT_FALSE(copy.Contains('A'));
  const uint32_t words[8] = {0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_TRUE(swCharMask(words).Contains(224));
}

TEST(SwCharMaskTest, SerializeRoundTrip) {
  InMemorySerializer archive;
  swPunctuationMask written;
  ASSERT_TRUE(written.Serialize(archive).ok());
  EXPECT_EQ(archive.bytes().size(), 32u);
  archive.StartReading();
  swCharMask read;
  ASSERT_TRUE(read.Serialize(archive).ok());
  for (int i = 0; i < 8; ++i) EXPECT_EQ(read.Word(i), kPunctuationMask.Word(i));
  archive.StartReading();
  archive.bytes().resize(31);
  swCharMask truncated;
  EXPECT_FALSE(truncated.Serialize(archive).ok());
  EXPECT_FALSE(truncated.Contains('!'));
}

}  // namespace

}  // namespace hv
