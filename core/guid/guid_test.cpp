#include "core/guid/guid.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/status.h"
#include "core/testing/in_memory_serializer.h"

namespace hv {

namespace {

const swGuid kSample(0x1234ABCD, 0xBEEF, 0x0102, 0x80, 0x01, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54);

TEST(SwGuidTest, TextRoundTrip) {
  EXPECT_STREQ(swGuid().ToText().CStr(), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_STREQ(kSample.ToText().CStr(), "{1234ABCD-BEEF-0102-8001-FEDCBA987654}");

  swGuid with_dashes;
  ASSERT_TRUE(with_dashes.FromText("{1234ABCD-BEEF-0102-8001-FEDCBA987654}").ok());
  EXPECT_EQ(with_dashes, kSample);
  swGuid bare;
  ASSERT_TRUE(bare.FromText("1234abcdbeef01028001fedcba987654").ok());
  EXPECT_EQ(bare, kSample);
  swGuid extra;
  ASSERT_TRUE(extra.FromText("1234abcdbeef01028001fedcba987654ffff").ok());  // beyond 32 ignored
  EXPECT_EQ(extra, kSample);
  EXPECT_STREQ(kSample.ToText("%08lX").CStr(), "1234ABCD");
}

TEST(SwGuidTest, ShortTextFailsKeepingCompleteGroups) {
  swGuid g;
  // 31 digits: Data1..Data3 and the first seven bytes are complete, the last is not.
  EXPECT_TRUE(g.FromText("1234ABCD-BEEF-0102-8001-FEDCBA98765")
                  .Is(hv::Where::kString, hv::kMissingArgument));
  EXPECT_EQ(g.data1, 0x1234ABCDu);
  EXPECT_EQ(g.data3, 0x0102);
  EXPECT_EQ(g.data4[6], 0x76);
  EXPECT_EQ(g.data4[7], 0);
  EXPECT_TRUE(swGuid().FromText("").Is(hv::Where::kString, hv::kMissingArgument));
  EXPECT_TRUE(swGuid().FromText(nullptr).Is(hv::Where::kString, hv::kMissingArgument));
}

TEST(SwGuidTest, EqualityLooksAtEveryByte) {
  swGuid other(kSample);
  EXPECT_EQ(other, kSample);
  other.data4[7] ^= 1;
  EXPECT_NE(other, kSample);
  other.Assign(kSample);
  other.data2 = 0;
  EXPECT_TRUE(other != kSample);
}

TEST(SwGuidTest, WireBytesAreLittleEndianFields) {
  uint8_t bytes[16];
  kSample.ToBytes(bytes);
  const uint8_t expected[16] = {0xCD, 0xAB, 0x34, 0x12, 0xEF, 0xBE, 0x02, 0x01,
                                0x80, 0x01, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54};
  EXPECT_EQ(std::memcmp(bytes, expected, 16), 0);
  swGuid back;
  back.FromBytes(bytes);
  EXPECT_EQ(back, kSample);
}

TEST(SwGuidTest, SerializeRoundTripAndTruncation) {
  InMemorySerializer archive;
  swGuid written(kSample);
  ASSERT_TRUE(written.Serialize(archive).ok());
  uint8_t wire[16];
  kSample.ToBytes(wire);
  ASSERT_EQ(archive.bytes().size(), 16u);
  EXPECT_EQ(std::memcmp(archive.bytes().data(), wire, 16), 0);

  archive.StartReading();
  swGuid read;
  ASSERT_TRUE(read.Serialize(archive).ok());
  EXPECT_EQ(read, kSample);

  archive.StartReading();
  archive.bytes().resize(15);
  swGuid truncated;
  EXPECT_FALSE(truncated.Serialize(archive).ok());
  EXPECT_EQ(truncated, swGuid());
}

TEST(SwGuidTest, GeneratedValuesAreDistinctVersion4) {
  std::set<std::string> seen;
  for (int i = 0; i < 64; ++i) {
    swGuidW g = swGuidW::Generate();
    EXPECT_EQ(g.data3 >> 12, 4);
    EXPECT_EQ(g.data4[0] & 0xC0, 0x80);
    seen.insert(g.ToText().CStr());
  }
  EXPECT_EQ(seen.size(), 64u);
}

}  // namespace

}  // namespace hv
