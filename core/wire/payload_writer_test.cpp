#include "core/wire/payload_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv::wire {
namespace {

TEST(PayloadWriterTest, AFieldThatWouldReachTheCapacityIsRefusedWhole) {
  PayloadWriter writer;
  const std::vector<uint8_t> big(PayloadWriter::kCapacity - 1 - 8 - 3, 0x55);
  ASSERT_TRUE(writer.AppendChunk(big.data(), big.size()).ok());
  EXPECT_TRUE(writer.AppendString("ab").Is(Where::kProtocol, kBlockFull));
  EXPECT_EQ(writer.size(), big.size() + 8);
  // Three bytes fill the block to 65,535, the most it holds.
  EXPECT_TRUE(writer.AppendBytes("xyz", 3).ok());
  EXPECT_EQ(writer.size(), PayloadWriter::kCapacity - 1);
  EXPECT_TRUE(writer.AppendU16(1).Is(Where::kProtocol, kBlockFull));
}

TEST(PayloadWriterTest, AStringEndsAtItsFirstNul) {
  PayloadWriter writer;
  ASSERT_TRUE(writer.AppendString(std::string("ab\0cd", 5)).ok());
  EXPECT_EQ(writer.bytes(), (std::vector<uint8_t>{0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 0}));
}

}  // namespace
}  // namespace hv::wire
