#include "sim/block_framer.h"

#include <gtest/gtest.h>

#include "core/status.h"
#include "core/wire/message_types.h"
#include "core/wire/payload_writer.h"

namespace hv::sim {
namespace {

std::vector<uint8_t> BlockImage(uint32_t version, uint32_t type,
                                const std::vector<uint8_t>& payload) {
  cBlockHeader header;
  header.version = version;
  header.type = type;
  return wire::EncodeBlock(header, payload);
}

TEST(BlockFramerTest, BlocksComeOutWholeHoweverTheBytesArrive) {
  std::vector<uint8_t> stream = BlockImage(3, msg::kGetSwitches, {});
  std::vector<uint8_t> second = BlockImage(1, msg::kUserMessage, {1, 2, 3, 4, 5});
  stream.insert(stream.end(), second.begin(), second.end());
  BlockFramer framer;
  std::vector<ReceivedBlock> out;
  for (uint8_t byte : stream) {
    framer.Feed(&byte, 1);
    ReceivedBlock block;
    while (framer.Next(&block).ok()) out.push_back(block);
  }
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].header.type, msg::kGetSwitches);
  EXPECT_TRUE(out[0].payload.empty());
  EXPECT_EQ(out[1].header.version, 1u);
  EXPECT_EQ(out[1].payload, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(framer.Buffered(), 0u);
}

TEST(BlockFramerTest, HeadersNoClientSendsMarkTheStreamAsGarbage) {
  const std::vector<std::vector<uint8_t>> kBad = {
      {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1'},  // version far too high
      [] {  // a payload longer than a client block can hold
        std::vector<uint8_t> b(12);
        PutU32(b.data(), 1);
        PutU32(b.data() + 4, 3);
        PutU32(b.data() + 8, 0x10000);
        return b;
      }(),
      [] {  // a last-block flag that is neither 0 nor 1
        std::vector<uint8_t> b = BlockImage(3, msg::kGetSwitches, {});
        PutU16(b.data() + 32, 7);
        return b;
      }(),
  };
  for (const auto& bytes : kBad) {
    BlockFramer framer;
    framer.Feed(bytes.data(), bytes.size());
    ReceivedBlock block;
    EXPECT_TRUE(framer.Next(&block).failed());
    EXPECT_TRUE(framer.Next(&block).failed());  // and it stays broken
  }
}

TEST(BlockFramerTest, AssemblerJoinsConsecutiveBlocksOfOneMessage) {
  swGuid guid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  auto received = [&](uint32_t number, uint16_t last, const swGuid& g) {
    ReceivedBlock block;
    block.header.type = msg::kSendCommandFile;
    block.header.guid = g;
    block.header.block_number = number;
    block.header.last_block = last;
    block.payload = {static_cast<uint8_t>(number)};
    return block;
  };
  RequestAssembler assembler;
  std::vector<ReceivedBlock> message;
  EXPECT_TRUE(assembler.Add(received(0, 0, guid), &message).declined());
  EXPECT_TRUE(assembler.Add(received(1, 0, guid), &message).declined());
  EXPECT_TRUE(assembler.Add(received(2, 1, guid), &message).ok());
  ASSERT_EQ(message.size(), 3u);
  EXPECT_EQ(message[2].payload[0], 2);
  EXPECT_FALSE(assembler.InProgress());

  // A gap, a foreign GUID, or a later block without a first one drops the message.
  EXPECT_TRUE(assembler.Add(received(0, 0, guid), &message).declined());
  const Status gap = assembler.Add(received(2, 1, guid), &message);
  EXPECT_TRUE(gap.Is(Where::kSim, kNotFound)) << gap.ToString();
  EXPECT_EQ(gap.message(), "a block out of its message's order");
  EXPECT_FALSE(assembler.InProgress());
  EXPECT_TRUE(assembler.Add(received(0, 0, guid), &message).declined());
  EXPECT_TRUE(assembler.Add(received(1, 1, swGuid()), &message).failed());
  EXPECT_TRUE(assembler.Add(received(5, 1, guid), &message).failed());
  EXPECT_TRUE(assembler.Add(received(0, 1, guid), &message).ok());
  EXPECT_EQ(message.size(), 1u);
}

}  // namespace
}  // namespace hv::sim
