#include "core/wire/block_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace hv {

namespace {

swGuid SampleGuid() {
  return swGuid(0x04030201, 0x0605, 0x0807, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10);
}

}  // namespace

TEST(BlockHeaderTest, LongFormIsThirtyEightLittleEndianBytes) {
  cBlockHeader header;
  header.version = 3;
  header.type = 7;
  header.guid = SampleGuid();
  header.block_number = 0x0102;
  header.last_block = 1;
  header.payload_length = 0x0A0B0C;
  uint8_t out[64] = {};
  ASSERT_EQ(EncodeBlockHeader(header, out, sizeof(out)), 38u);
  const std::vector<uint8_t> expected = {
      3,    0,    0, 0, 7, 0, 0,    0,    0,    0,  0,  0,  // version, type, reserved
      1,    2,    3, 4, 5, 6, 7,    8,    9,    10, 11, 12, 13, 14, 15, 16,  // GUID in wire order
      0x02, 0x01, 0, 0, 1, 0, 0x0C, 0x0B, 0x0A, 0};
  EXPECT_EQ(std::vector<uint8_t>(out, out + 38), expected);

  cBlockHeader decoded;
  uint32_t consumed = 0;
  ASSERT_TRUE(DecodeBlockHeader(out, 38, &decoded, &consumed).ok());
  EXPECT_EQ(consumed, 38u);
  EXPECT_EQ(decoded.type, 7u);
  EXPECT_EQ(decoded.guid, SampleGuid());
  EXPECT_EQ(decoded.block_number, 0x0102u);
  EXPECT_EQ(decoded.last_block, 1);
  EXPECT_EQ(decoded.payload_length, 0x0A0B0Cu);
}

TEST(BlockHeaderTest, VersionsBelowTwoUseTheTwelveByteFormAsAWholeMessage) {
  for (uint32_t version : {0u, 1u}) {
    cBlockHeader header;
    header.version = version;
    header.type = 9;
    header.block_number = 5;  // not carried by the short form
    header.last_block = 0;
    header.payload_length = 3;
    uint8_t out[38] = {};
    ASSERT_EQ(EncodeBlockHeader(header, out, sizeof(out)), 12u);
    const std::vector<uint8_t> expected = {
        static_cast<uint8_t>(version), 0, 0, 0, 9, 0, 0, 0, 3, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(out, out + 12), expected);

    cBlockHeader decoded;
    decoded.block_number = 77;
    uint32_t consumed = 0;
    ASSERT_TRUE(DecodeBlockHeader(out, 12, &decoded, &consumed).ok());
    EXPECT_EQ(consumed, 12u);
    EXPECT_EQ(decoded.block_number, 0u);
    EXPECT_EQ(decoded.last_block, 1);
    EXPECT_EQ(decoded.payload_length, 3u);
  }
}

TEST(BlockHeaderTest, IncompleteInputAndSmallOutputAreRefused) {
  uint8_t long_form[38] = {2};
  cBlockHeader decoded;
  decoded.type = 42;
  uint32_t consumed = 99;
  for (uint32_t size : {0u, 3u, 12u, 37u}) {
    EXPECT_TRUE(DecodeBlockHeader(long_form, size, &decoded, &consumed).declined()) << size;
  }
  EXPECT_EQ(decoded.type, 42u);
  EXPECT_EQ(consumed, 99u);
  EXPECT_TRUE(DecodeBlockHeader(nullptr, 38, &decoded, &consumed).declined());

  cBlockHeader header;  // version 3: needs 38 bytes
  uint8_t out[37];
  EXPECT_EQ(EncodeBlockHeader(header, out, sizeof(out)), 0u);
  EXPECT_EQ(BlockHeaderSize(2), 38u);
  EXPECT_EQ(BlockHeaderSize(0xFFFFFFFFu), 38u);
  EXPECT_EQ(BlockHeaderSize(1), 12u);
}

}  // namespace hv
