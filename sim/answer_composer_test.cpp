// housesim's answers pinned byte by byte, written out here rather than decoded with any
// reader: a framing fault made alike in the client and in housesim would otherwise pass every
// test that runs one against the other. The GUID is random, so those 16 bytes are compared
// only with each other.
#include "sim/answer_composer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/loopback_client_testutil.h"

namespace hv::sim {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kGuidAt = 12;
constexpr size_t kGuidSize = 16;

// The long-form header before the GUID (version, type, reserved) and after it (block number,
// last-block flag, payload length).
Bytes LongHeader(uint32_t type, uint32_t block, uint16_t last, uint32_t length) {
  auto u32 = [](Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  Bytes out;
  u32(out, 3);
  u32(out, type);
  u32(out, 0);
  out.insert(out.end(), kGuidSize, 0);
  u32(out, block);
  out.push_back(static_cast<uint8_t>(last));
  out.push_back(static_cast<uint8_t>(last >> 8));
  u32(out, length);
  return out;
}

Bytes Cat(Bytes head, const Bytes& payload) {
  head.insert(head.end(), payload.begin(), payload.end());
  return head;
}

Bytes WithoutGuid(Bytes block) {
  if (block.size() >= kGuidAt + kGuidSize) {
    std::fill(block.begin() + kGuidAt, block.begin() + kGuidAt + kGuidSize, 0);
  }
  return block;
}

Bytes GuidOf(const Bytes& block) {
  return Bytes(block.begin() + kGuidAt, block.begin() + kGuidAt + kGuidSize);
}

TEST(AnswerComposerTest, OneBlockAnswersByteForByte) {
  WireOptions options;
  AnswerComposer composer(options);

  EncodedMessage qty = composer.ClientQty(2);
  ASSERT_EQ(qty.size(), 1u);
  EXPECT_EQ(WithoutGuid(qty[0]), Cat(LongHeader(21, 0, 1, 4), {0x02, 0x00, 0x00, 0x00}));

  // A string field: reserved 0, count = length + 1, the text in Windows-1252 and its NUL.
  EncodedMessage name = composer.ControlFileName("Caf\xC3\xA9");
  ASSERT_EQ(name.size(), 1u);
  EXPECT_EQ(WithoutGuid(name[0]),
            Cat(LongHeader(14, 0, 1, 13),
                {0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 'C', 'a', 'f', 0xE9, 0x00}));

  // Name, status, the value as an integer, extra 0, then the value as an IEEE 754 double.
  SwitchItem lamp;
  lamp.name = "ab";
  lamp.status = 5;
  lamp.value = -50.0;
  EncodedMessage status = composer.SwitchStatus(lamp);
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(WithoutGuid(status[0]),
            Cat(LongHeader(15, 0, 1, 31),
                {0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 'a',  'b',  0x00,
                 0x05, 0x00, 0x00, 0x00, 0xCE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00,
                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x49, 0xC0}));

  EncodedMessage mute = composer.Flag(27, true);
  ASSERT_EQ(mute.size(), 1u);
  EXPECT_EQ(WithoutGuid(mute[0]), Cat(LongHeader(27, 0, 1, 2), {0x01, 0x00}));

  EncodedMessage goodbye = composer.Goodbye();
  ASSERT_EQ(goodbye.size(), 1u);
  EXPECT_EQ(WithoutGuid(goodbye[0]), LongHeader(1, 0, 1, 0));
}

TEST(AnswerComposerTest, ShortHeaderIsTwelveBytes) {
  WireOptions options;
  options.version = 1;
  AnswerComposer composer(options);
  EncodedMessage qty = composer.ClientQty(0x01020304);
  ASSERT_EQ(qty.size(), 1u);
  EXPECT_EQ(qty[0], (Bytes{0x01, 0x00, 0x00, 0x00, 0x15, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
                           0x04, 0x03, 0x02, 0x01}));
}

TEST(AnswerComposerTest, PictureOverBlocksCarriesOneChunkPerBlockUnderOneGuid) {
  WireOptions options;
  options.chunk_size = 3;
  AnswerComposer composer(options);
  EncodedMessage picture = composer.FullPicture("S", "P", 0x0A0B0C0D, {1, 2, 3, 4, 5});
  ASSERT_EQ(picture.size(), 2u);
  EXPECT_EQ(WithoutGuid(picture[0]),
            Cat(LongHeader(35, 0, 0, 35),
                {0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'S',  0x00, 0x00, 0x00,
                 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'P',  0x00, 0x0D, 0x0C, 0x0B, 0x0A,
                 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03}));
  EXPECT_EQ(WithoutGuid(picture[1]), Cat(LongHeader(35, 1, 1, 10), {0x00, 0x00, 0x00, 0x00, 0x02,
                                                                    0x00, 0x00, 0x00, 0x04, 0x05}));
  EXPECT_EQ(GuidOf(picture[0]), GuidOf(picture[1]));
  EXPECT_NE(GuidOf(picture[0]), GuidOf(composer.Goodbye()[0]));
}

TEST(AnswerComposerTest, TheServerWritesTheComposedBytesUnchanged) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect(false);
  client.Login("demo", "demo");
  ASSERT_TRUE(sim.PumpUntil([&] { return client.raw.size() >= 42; }));
  const Bytes first(client.raw.begin(), client.raw.begin() + 42);
  EXPECT_EQ(WithoutGuid(first), Cat(LongHeader(21, 0, 1, 4), {0x01, 0x00, 0x00, 0x00}));
}

}  // namespace
}  // namespace hv::sim
