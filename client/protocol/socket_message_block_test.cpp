#include "client/protocol/socket_message_block.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/status.h"
#include "core/string/sw_string.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

using Bytes = std::vector<uint8_t>;

Bytes OutgoingBytes(const cSocketMessageBlock& block) {
  const uint8_t* p = block.OutgoingPayload();
  return p == nullptr ? Bytes() : Bytes(p, p + block.OutgoingLength());
}

// A received block whose payload is exactly `payload`.
void Receive(cSocketMessageBlock& block, const Bytes& payload) {
  ASSERT_EQ(block.SetIncoming(payload.data(), static_cast<uint32_t>(payload.size())).code(),
            hv::kOk);
}

Bytes U32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(SocketMessageBlockTest, NewBlockDefaults) {
  cSocketMessageBlock a;
  cSocketMessageBlock b;
  EXPECT_EQ(a.version, 3u);
  EXPECT_EQ(a.block_number, 0u);
  EXPECT_EQ(a.last_block, 1);
  EXPECT_EQ(a.capacity, 0x10000u);
  EXPECT_FALSE(a.HasIncoming());
  EXPECT_EQ(a.OutgoingPayload(), nullptr);  // the 64 KiB buffer comes with the first append
  EXPECT_NE(a.guid, b.guid);
}

TEST(SocketMessageBlockTest, StringFieldsHaveTheWireImage) {
  cSocketMessageBlock block;
  ASSERT_EQ(block.AppendString("abc").code(), hv::kOk);
  ASSERT_EQ(block.AppendString("").code(), hv::kOk);
  EXPECT_EQ(OutgoingBytes(block), (Bytes{0, 0, 0, 0, 4, 0, 0, 0, 0x61, 0x62, 0x63, 0,  // abc
                                         0, 0, 0, 0, 1, 0, 0, 0, 0}));                 // empty
  EXPECT_EQ(block.AppendString(nullptr).code(), hv::kMissingArgument);
}

TEST(SocketMessageBlockTest, PayloadStopsOneByteShortOfTheCapacity) {
  cSocketMessageBlock block;
  Bytes big(65534, 0xAB);
  ASSERT_EQ(block.AppendBytes(big.data(), static_cast<uint32_t>(big.size())).code(), hv::kOk);
  uint8_t one = 1;
  ASSERT_EQ(block.AppendBytes(&one, 1).code(), hv::kOk);
  EXPECT_EQ(block.OutgoingLength(), 65535u);
  EXPECT_EQ(block.AppendBytes(&one, 1).code(), hv::kBlockFull);
  EXPECT_EQ(block.OutgoingLength(), 65535u);
  EXPECT_EQ(block.AppendBytes(nullptr, 1).code(), hv::kMissingArgument);

  // A string that does not fit whole leaves nothing of itself behind.
  cSocketMessageBlock near_full;
  Bytes filler(65520, 0);
  ASSERT_EQ(near_full.AppendBytes(filler.data(), static_cast<uint32_t>(filler.size())).code(),
            hv::kOk);
  EXPECT_EQ(near_full.AppendString("0123456789").code(), hv::kBlockFull);
  EXPECT_EQ(near_full.OutgoingLength(), 65520u);
  EXPECT_EQ(near_full.WritePosition(), 65520u);
}

TEST(SocketMessageBlockTest, TypedFieldsRoundTrip) {
  cSocketMessageBlock out;
  ASSERT_EQ(out.AppendU16(0xBEEF).code(), hv::kOk);
  ASSERT_EQ(out.AppendU32(0xDEADBEEF).code(), hv::kOk);
  ASSERT_EQ(out.AppendF64(-1234.5).code(), hv::kOk);
  ASSERT_EQ(out.AppendString("Porch light").code(), hv::kOk);
  Bytes payload = OutgoingBytes(out);
  EXPECT_EQ(payload[0], 0xEF);
  EXPECT_EQ(payload[2], 0xEF);
  EXPECT_EQ(payload[5], 0xDE);

  cSocketMessageBlock in;
  Receive(in, payload);
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  double f64 = 0;
  swString text;
  EXPECT_EQ(in.ReadU16(&u16).code(), hv::kOk);
  EXPECT_EQ(in.ReadU32(&u32).code(), hv::kOk);
  EXPECT_EQ(in.ReadF64(&f64).code(), hv::kOk);
  EXPECT_EQ(in.ReadString(&text).code(), hv::kOk);
  EXPECT_EQ(u16, 0xBEEF);
  EXPECT_EQ(u32, 0xDEADBEEFu);
  EXPECT_EQ(f64, -1234.5);
  EXPECT_EQ(text, "Porch light");
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(SocketMessageBlockTest, ShortPayloadSkipsFieldsThatDoNotFit) {
  cSocketMessageBlock block;
  Receive(block, {0x34, 0x12});
  uint32_t u32 = 77;
  uint16_t u16 = 0;
  double f64 = 2.5;
  EXPECT_EQ(block.ReadU32(&u32).code(), hv::kOk);  // skipped, consumes nothing
  EXPECT_EQ(u32, 77u);
  EXPECT_EQ(block.ReadU16(&u16).code(), hv::kOk);  // still reads the 2 bytes
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(block.ReadF64(&f64).code(), hv::kOk);
  EXPECT_EQ(f64, 2.5);
  swString kept("derived default");
  EXPECT_EQ(block.ReadString(&kept).code(), hv::kOk);  // field left out: the default stays
  EXPECT_EQ(kept, "derived default");

  uint8_t dest[4];
  cSocketMessageBlock empty;
  EXPECT_EQ(empty.ReadBytes(dest, 1).code(), hv::kNoPayload);
  EXPECT_EQ(empty.ReadString(&kept).code(), hv::kNoPayload);
  EXPECT_EQ(block.ReadBytes(nullptr, 1).code(), hv::kMissingArgument);
  EXPECT_EQ(block.ReadString(nullptr).code(), hv::kMissingArgument);
}

TEST(SocketMessageBlockTest, StringCountsAreCheckedAgainstThePayload) {
  // Count 1: empty text. Then a count past the end: empty, and the u32 after it is read
  // from just after the count. Then an unterminated text and one with an inner NUL.
  Bytes payload = Concat({U32(0),
                          U32(1),
                          {0},
                          U32(0),
                          U32(0xFFFFFFFF),
                          U32(0x11223344),
                          U32(0),
                          U32(2),
                          {'h', 'i'},
                          U32(0),
                          U32(5),
                          {'a', 0, 'b', 'c', 0},
                          U32(0),
                          U32(20),
                          {'x'}});
  cSocketMessageBlock block;
  Receive(block, payload);
  swString a("old"), b("old"), c, d, e("old");
  uint32_t after = 0;
  EXPECT_EQ(block.ReadString(&a).code(), hv::kOk);
  EXPECT_EQ(a, "");
  EXPECT_EQ(block.ReadString(&b).code(), hv::kOk);
  EXPECT_EQ(b, "");
  EXPECT_EQ(block.ReadU32(&after).code(), hv::kOk);
  EXPECT_EQ(after, 0x11223344u);
  EXPECT_EQ(block.ReadString(&c).code(), hv::kOk);
  EXPECT_EQ(c, "hi");
  EXPECT_EQ(block.ReadString(&d).code(), hv::kOk);
  EXPECT_EQ(d, "a");  // up to the first NUL, but all 5 bytes consumed
  EXPECT_EQ(block.ReadString(&e).code(), hv::kOk);
  EXPECT_EQ(e, "");
  EXPECT_EQ(block.Remaining(), 1u);
}

TEST(SocketMessageBlockTest, IncomingPayloadSizeIsCapped) {
  cSocketMessageBlock block;
  EXPECT_EQ(block.AllocateIncoming(cSocketMessageBlock::MaxIncomingPayload + 1), nullptr);
  EXPECT_EQ(block.AllocateIncoming(0xFFFFFFFFu), nullptr);
  EXPECT_FALSE(block.HasIncoming());
  EXPECT_NE(block.AllocateIncoming(cSocketMessageBlock::MaxIncomingPayload), nullptr);
  EXPECT_NE(block.AllocateIncoming(0), nullptr);  // present, just empty
  EXPECT_TRUE(block.HasIncoming());
  uint32_t v = 5;
  EXPECT_EQ(block.ReadU32(&v).code(), hv::kOk);
  EXPECT_EQ(v, 5u);
}

TEST(SocketMessageBlockTest, IncomingBuffersAreReusedButALargeOneIsNotKeptForSmallPayloads) {
  cSocketMessageBlock block;
  uint8_t* first = block.AllocateIncoming(1000);
  ASSERT_NE(first, nullptr);
  uint8_t* smaller = block.AllocateIncoming(10);
  EXPECT_EQ(smaller, first);
  EXPECT_EQ(block.IncomingLength(), 10u);
  EXPECT_EQ(block.Remaining(), 10u);
  block.ClearIncoming();
  EXPECT_FALSE(block.HasIncoming());
  uint32_t value = 7;
  EXPECT_EQ(block.ReadU32(&value).code(), hv::kNoPayload);  // a cleared payload reads as none
  EXPECT_EQ(block.AllocateIncoming(0), first);
  EXPECT_TRUE(block.HasIncoming());
  EXPECT_EQ(block.Remaining(), 0u);

  uint8_t* huge = block.AllocateIncoming(cSocketMessageBlock::MaxIncomingPayload);
  ASSERT_NE(huge, nullptr);
  EXPECT_EQ(block.AllocateIncoming(cSocketMessageBlock::MaxIncomingPayload), huge);
  // A megabyte is not held on to for a small block.
  uint8_t* small = block.AllocateIncoming(16);
  ASSERT_NE(small, nullptr);
  EXPECT_NE(small, huge);
  EXPECT_EQ(block.AllocateIncoming(cSocketMessageBlock::MaxIncomingPayload + 1), nullptr);
  EXPECT_FALSE(block.HasIncoming());
}

TEST(SocketMessageBlockTest, FileChunksCreateAppendAndRefuseBadCounts) {
  hv::test::cTempFolder folder("hv-block-");
  const std::string& dir = folder.path();
  ASSERT_FALSE(dir.empty());
  const std::string path = dir + "/picture.jpg";

  cSocketMessageBlock first;
  Receive(first, Concat({U32(0), U32(3), {'a', 'b', 'c'}, U32(9)}));
  ASSERT_EQ(first.ReadFileChunk(path.c_str(), true).code(), hv::kOk);
  uint32_t next = 0;
  EXPECT_EQ(first.ReadU32(&next).code(), hv::kOk);
  EXPECT_EQ(next, 9u);

  cSocketMessageBlock second;
  Receive(second, Concat({U32(0), U32(2), {'d', 'e'}}));
  ASSERT_EQ(second.ReadFileChunk(path.c_str(), false).code(), hv::kOk);
  EXPECT_EQ(FileText(path), "abcde");

  // A count that runs past the payload must not write (uninitialised) bytes.
  cSocketMessageBlock lying;
  Receive(lying, Concat({U32(0), U32(1000), {'z'}}));
  EXPECT_EQ(lying.ReadFileChunk(path.c_str(), false).code(), hv::kNoPayload);
  cSocketMessageBlock huge;
  Receive(huge, Concat({U32(0), U32(0xFFFFFFFF)}));
  EXPECT_EQ(huge.ReadFileChunk(path.c_str(), false).code(), hv::kNoPayload);
  EXPECT_EQ(FileText(path), "abcde");

  // Creating again truncates.
  cSocketMessageBlock again;
  Receive(again, Concat({U32(0), U32(1), {'Z'}}));
  ASSERT_EQ(again.ReadFileChunk(path.c_str(), true).code(), hv::kOk);
  EXPECT_EQ(FileText(path), "Z");

  cSocketMessageBlock unreachable;
  Receive(unreachable, Concat({U32(0), U32(1), {'q'}}));
  EXPECT_EQ(unreachable.ReadFileChunk((dir + "/missing/x").c_str(), true).code(),
            hv::kCannotOpenFile);
  EXPECT_EQ(unreachable.ReadFileChunk(nullptr, true).code(), hv::kMissingArgument);

  // A link planted where the file goes is not followed.
  const std::string target = dir + "/target";
  { std::ofstream(target) << "keep"; }
  ASSERT_EQ(symlink(target.c_str(), (dir + "/link").c_str()), 0);
  cSocketMessageBlock via_link;
  Receive(via_link, Concat({U32(0), U32(1), {'!'}}));
  EXPECT_EQ(via_link.ReadFileChunk((dir + "/link").c_str(), true).code(), hv::kCannotOpenFile);
  EXPECT_EQ(FileText(target), "keep");
}

TEST(SocketMessageBlockTest, GarbagePayloadsNeverReadOutOfBounds) {
  // Every prefix of a mixed payload and a run of pseudo-random payloads, read with every
  // reader until nothing is consumed: the sanitizer build checks the bounds.
  uint32_t seed = 12345;
  auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return static_cast<uint8_t>(seed >> 16);
  };
  std::vector<Bytes> payloads;
  Bytes mixed = Concat({U32(0), U32(6), {'s', 'e', 'n', 's', 'o', 'r'}, U32(0), U32(4), {1, 2, 3}});
  for (size_t n = 0; n <= mixed.size(); ++n)
    payloads.emplace_back(mixed.begin(), mixed.begin() + n);
  for (int i = 0; i < 200; ++i) {
    Bytes random(next() % 40);
    for (uint8_t& b : random) b = (next() & 1) ? next() : static_cast<uint8_t>(next() % 8);
    payloads.push_back(random);
  }
  for (const Bytes& payload : payloads) {
    cSocketMessageBlock block;
    Receive(block, payload);
    for (int guard = 0; guard < 64 && block.Remaining() > 0; ++guard) {
      const uint32_t before = block.Remaining();
      swString s;
      uint32_t u32 = 0;
      uint16_t u16 = 0;
      EXPECT_EQ(block.ReadString(&s).code(), hv::kOk);
      EXPECT_LE(s.GetLength(), payload.size());
      EXPECT_EQ(block.ReadU32(&u32).code(), hv::kOk);
      EXPECT_EQ(block.ReadU16(&u16).code(), hv::kOk);
      if (block.Remaining() == before) break;
    }
  }
}

}  // namespace hv
