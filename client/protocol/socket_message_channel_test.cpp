#include "client/protocol/socket_message_channel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/testing/memory_byte_stream.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"
#include "core/wire/block_header.h"

namespace hv {

namespace {

using hv::test::BlockImage;
using hv::test::Bytes;

// One dispatched block, as the dispatcher saw it.
struct Seen {
  cSocketMessage* message;
  uint32_t type;
  uint32_t block_number;
  uint16_t last_block;
  Bytes payload;
};

class RecordingDispatcher : public cBlockDispatcher {
 public:
  Status Dispatch(cSocketMessage* message, cSocketMessageBlock& block) override {
    Bytes payload(block.IncomingLength());
    if (!payload.empty()) {
      EXPECT_EQ(block.ReadBytes(payload.data(), static_cast<uint32_t>(payload.size())).code(),
                hv::kOk);
    }
    seen.push_back({message, block.type, block.block_number, block.last_block, payload});
    return Status(Where::kProtocol, result);
  }
  std::vector<Seen> seen;
  int32_t result = hv::kOk;
};

// The blocks of a sent byte stream, split by their headers.
struct SentBlock {
  cBlockHeader header;
  Bytes payload;
};

std::vector<SentBlock> SplitBlocks(const Bytes& sent) {
  std::vector<SentBlock> blocks;
  size_t at = 0;
  while (at < sent.size()) {
    SentBlock b;
    uint32_t consumed = 0;
    if (!DecodeBlockHeader(sent.data() + at, static_cast<uint32_t>(sent.size() - at), &b.header,
                           &consumed)
             .ok()) {
      ADD_FAILURE() << "truncated header at " << at;
      break;
    }
    at += consumed;
    if (sent.size() - at < b.header.payload_length) {
      ADD_FAILURE() << "truncated payload at " << at;
      break;
    }
    b.payload.assign(sent.begin() + static_cast<std::ptrdiff_t>(at),
                     sent.begin() + static_cast<std::ptrdiff_t>(at + b.header.payload_length));
    at += b.header.payload_length;
    blocks.push_back(b);
  }
  return blocks;
}

uint32_t U32At(const Bytes& bytes, size_t at) { return GetU32(bytes.data() + at); }

class ChannelTest : public ::testing::Test {
 protected:
  ChannelTest() : stream(clock), context(clock), channel(&stream, context) {
    context.SetTransferNotice([this](cTransferState s) { notices.push_back(s); });
    context.SetPauseHook([this](uint32_t ms) { clock.Advance(ms); });
  }

  cFakeClock clock;
  cMemoryByteStream stream;
  cProtocolContext context;
  cSocketMessageChannel channel;
  RecordingDispatcher dispatcher;
  std::vector<cTransferState> notices;
  const swGuid guid_a = swGuid(0xA1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  const swGuid guid_b = swGuid(0xB1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
};

// --- composing and sending ---

TEST_F(ChannelTest, GetSwitchesOnVersionThreeIsThirtyEightBytesInOneSend) {
  ASSERT_EQ(channel.ProtocolVersion(), 3u);
  ASSERT_EQ(channel.BeginMessage(7, channel.ProtocolVersion(), 0x10000).code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);

  uint8_t guid[16];
  channel.OutgoingBlock().guid.ToBytes(guid);
  Bytes expected = {3, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0};
  expected.insert(expected.end(), guid, guid + 16);
  expected.insert(expected.end(), {0, 0, 0, 0, 1, 0, 0, 0, 0, 0});
  EXPECT_EQ(stream.Sent(), expected);
  EXPECT_EQ(stream.SendSizes(), (std::vector<uint32_t>{38}));
  EXPECT_EQ(notices,
            (std::vector<cTransferState>{cTransferState::kSending, cTransferState::kIdle}));
  EXPECT_FALSE(context.Beginning());
  EXPECT_FALSE(context.Sending());

  // The outgoing block is reused: the next request carries the same GUID.
  ASSERT_EQ(channel.BeginMessage(9).code(), hv::kOk);
  ASSERT_EQ(channel.AppendString("abc").code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  std::vector<SentBlock> blocks = SplitBlocks(stream.Sent());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].header.guid, blocks[0].header.guid);
  EXPECT_EQ(blocks[1].payload, (Bytes{0, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 0}));
}

TEST_F(ChannelTest, VersionOneHeaderIsTwelveBytesAndTheNextRequestAnswersInKind) {
  stream.Feed(BlockImage(1, 29, {0x10, 0, 0, 0}));
  uint32_t type = 0;
  ASSERT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kOk);
  EXPECT_EQ(type, 29u);
  EXPECT_EQ(channel.ProtocolVersion(), 1u);
  ASSERT_EQ(dispatcher.seen.size(), 1u);
  EXPECT_EQ(dispatcher.seen[0].payload, (Bytes{0x10, 0, 0, 0}));
  EXPECT_EQ(dispatcher.seen[0].last_block, 1);
  EXPECT_EQ(stream.PendingBytes(), 0u);  // exactly 12 + 4 bytes were read

  ASSERT_EQ(channel.BeginMessage(7, channel.ProtocolVersion(), 0x10000).code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  EXPECT_EQ(stream.Sent(), (Bytes{1, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ChannelTest, FullestBlockIsSentAndOneMoreByteFailsWithNothingSent) {
  Bytes payload(65535, 0x5A);
  ASSERT_EQ(channel.BeginMessage(12).code(), hv::kOk);
  ASSERT_EQ(channel.AppendBytes(payload.data(), 65535).code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  EXPECT_EQ(stream.Sent().size(), 38u + 65535u);
  EXPECT_EQ(U32At(stream.Sent(), 34), 65535u);

  stream.ClearSent();
  ASSERT_EQ(channel.BeginMessage(12).code(), hv::kOk);
  ASSERT_EQ(channel.AppendBytes(payload.data(), 65535).code(), hv::kOk);
  uint8_t one = 1;
  EXPECT_EQ(channel.AppendBytes(&one, 1).code(), hv::kBlockFull);
  EXPECT_TRUE(stream.Sent().empty());
  // The failed message is over: the next request can begin.
  EXPECT_FALSE(channel.MessageOpen());
  EXPECT_EQ(channel.BeginMessage(7).code(), hv::kOk);
}

TEST_F(ChannelTest, BeginningFlagKeepsRequestsApart) {
  ASSERT_EQ(channel.BeginMessage(7).code(), hv::kOk);
  EXPECT_EQ(channel.BeginMessage(9).code(), hv::kAlreadyBeginning);
  // The flag is program-wide: another socket's channel is turned away too.
  cMemoryByteStream other_stream(clock);
  cSocketMessageChannel other(&other_stream, context);
  EXPECT_EQ(other.BeginMessage(9).code(), hv::kAlreadyBeginning);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  ASSERT_EQ(other.BeginMessage(9).code(), hv::kOk);
  other.AbandonMessage();
  EXPECT_FALSE(context.Beginning());

  // A composer that vanished without ending its message does not block requests forever,
  // but one that is sending is never overtaken.
  ASSERT_EQ(channel.BeginMessage(7).code(), hv::kOk);
  clock.Advance(cSocketMessageChannel::kStaleBeginningMs - 1);
  EXPECT_EQ(other.BeginMessage(9).code(), hv::kAlreadyBeginning);
  context.SetSending(true);
  clock.Advance(60000);
  EXPECT_EQ(other.BeginMessage(9).code(), hv::kAlreadyBeginning);
  context.SetSending(false);
  EXPECT_EQ(other.BeginMessage(9).code(), hv::kOk);
  other.AbandonMessage();

  // A channel destroyed mid-message gives the flag back.
  {
    cSocketMessageChannel doomed(&other_stream, context);
    ASSERT_EQ(doomed.BeginMessage(7).code(), hv::kOk);
  }
  EXPECT_FALSE(context.Beginning());
}

TEST_F(ChannelTest, SendFailuresClearTheBlockAndReleaseTheFlags) {
  stream.FailSend();
  ASSERT_EQ(channel.BeginMessage(15).code(), hv::kOk);
  ASSERT_EQ(channel.AppendString("Porch").code(), hv::kOk);
  EXPECT_EQ(channel.SendBlock(1).code(), hv::kSendFailed);
  EXPECT_EQ(channel.OutgoingBlock().WritePosition(), 0u);
  EXPECT_EQ(channel.OutgoingBlock().OutgoingLength(), 0u);
  EXPECT_FALSE(context.Beginning());
  EXPECT_FALSE(context.Sending());
  EXPECT_EQ(notices.back(), cTransferState::kIdle);

  cSocketMessageChannel no_stream(nullptr, context);
  ASSERT_EQ(no_stream.BeginMessage(7).code(), hv::kOk);
  EXPECT_EQ(no_stream.SendBlock(1).code(), hv::kMissingArgument);
  EXPECT_FALSE(context.Beginning());
  cSocketMessageBlock block;
  EXPECT_EQ(no_stream.ReceiveBlock(&block).code(), hv::kMissingArgument);
}

TEST_F(ChannelTest, SendWaitsForAnotherSendButNotForever) {
  const uint32_t start = clock.TickCount();
  context.SetSending(true);  // a send that never finishes (we were re-entered under it)
  ASSERT_EQ(channel.BeginMessage(7).code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  EXPECT_EQ(clock.TickCount() - start, cSocketMessageChannel::kSendingWaitMs);
  EXPECT_EQ(stream.Sent().size(), 38u);

  int pauses = 0;
  context.SetPauseHook([&](uint32_t ms) {
    clock.Advance(ms);
    if (++pauses == 3) context.SetSending(false);
  });
  context.SetSending(true);
  const uint32_t second = clock.TickCount();
  ASSERT_EQ(channel.BeginMessage(7).code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  EXPECT_EQ(clock.TickCount() - second, 30u);
}

// --- files over blocks ---

class AppendFileTest : public ChannelTest {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.empty()); }
  std::string WriteFile(const std::string& name, const Bytes& content) {
    std::string path = dir + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size()));
    return path;
  }
  hv::test::cTempFolder folder{"hv-channel-"};
  const std::string dir = folder.path();
};

TEST_F(AppendFileTest, LargeFileGoesOutAsOneChunkPerBlock) {
  Bytes content(150000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7 + i / 251);
  const std::string path = WriteFile("command.txt", content);

  ASSERT_EQ(channel.BeginMessage(42).code(), hv::kOk);
  ASSERT_EQ(channel.AppendString("command.txt").code(), hv::kOk);  // the request's fixed field
  ASSERT_EQ(channel.AppendFile(path.c_str()).code(), hv::kOk);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  EXPECT_FALSE(context.Beginning());

  std::vector<SentBlock> blocks = SplitBlocks(stream.Sent());
  ASSERT_EQ(blocks.size(), 3u);
  const uint32_t fixed = 4 + 4 + 12;                 // the string field
  const uint32_t chunk = 0x10000 - (fixed + 4) - 5;  // room left after the reserved word
  Bytes rebuilt;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const SentBlock& b = blocks[i];
    EXPECT_EQ(b.header.type, 42u);
    EXPECT_EQ(b.header.block_number, i);
    EXPECT_EQ(b.header.last_block, i + 1 == blocks.size() ? 1 : 0);
    EXPECT_LT(b.payload.size(), 0x10000u);
    const size_t at = i == 0 ? fixed : 0;
    EXPECT_EQ(U32At(b.payload, at), 0u);  // reserved
    const uint32_t count = U32At(b.payload, at + 4);
    ASSERT_EQ(b.payload.size(), at + 8 + count) << "exactly one chunk per block";
    if (i + 1 < blocks.size()) {
      EXPECT_EQ(count, chunk);
    }
    rebuilt.insert(rebuilt.end(), b.payload.begin() + static_cast<std::ptrdiff_t>(at + 8),
                   b.payload.end());
  }
  EXPECT_EQ(rebuilt, content);
  EXPECT_EQ(channel.OutgoingBlock().block_number, 0u);
}

TEST_F(AppendFileTest, FileOfExactlyTwoChunksLeavesNoEmptyBlock) {
  cSocketMessageChannel small(&stream, context, 64);
  const uint32_t chunk = 64 - 4 - 5;
  const std::string path = WriteFile("two.bin", Bytes(2 * chunk, 0x33));
  ASSERT_EQ(small.BeginMessage(42).code(), hv::kOk);
  ASSERT_EQ(small.AppendFile(path.c_str()).code(), hv::kOk);
  ASSERT_EQ(small.SendBlock(1).code(), hv::kOk);
  std::vector<SentBlock> blocks = SplitBlocks(stream.Sent());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(U32At(blocks[1].payload, 4), chunk);
  EXPECT_EQ(blocks[0].header.last_block, 0);
  EXPECT_EQ(blocks[1].header.last_block, 1);
}

TEST_F(AppendFileTest, EmptyFileAppendsNothingAndMissingFileAbandons) {
  const std::string path = WriteFile("empty.txt", {});
  ASSERT_EQ(channel.BeginMessage(42).code(), hv::kOk);
  ASSERT_EQ(channel.AppendString("empty.txt").code(), hv::kOk);
  EXPECT_EQ(channel.AppendFile(path.c_str()).code(), hv::kDeclined);
  ASSERT_EQ(channel.SendBlock(1).code(), hv::kOk);
  std::vector<SentBlock> blocks = SplitBlocks(stream.Sent());
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].payload.size(), 4u + 4u + 10u);  // only the fixed field

  ASSERT_EQ(channel.BeginMessage(42).code(), hv::kOk);
  EXPECT_EQ(channel.AppendFile((dir + "/absent.txt").c_str()).code(), hv::kCannotOpenFile);
  EXPECT_FALSE(context.Beginning());
  ASSERT_EQ(channel.BeginMessage(42).code(), hv::kOk);
  EXPECT_EQ(channel.AppendFile(nullptr).code(), hv::kMissingArgument);
  EXPECT_FALSE(channel.MessageOpen());
}

TEST_F(AppendFileTest, SendFailureMidFileResetsTheMessage) {
  cSocketMessageChannel small(&stream, context, 64);
  const std::string path = WriteFile("long.bin", Bytes(500, 1));
  stream.FailSend(1);  // block 0 goes out, block 1 fails
  ASSERT_EQ(small.BeginMessage(42).code(), hv::kOk);
  EXPECT_EQ(small.AppendFile(path.c_str()).code(), hv::kSendFailed);
  EXPECT_EQ(small.OutgoingBlock().block_number, 0u);
  EXPECT_FALSE(context.Beginning());
  EXPECT_EQ(SplitBlocks(stream.Sent()).size(), 1u);
}

TEST_F(AppendFileTest, ShortHeaderFormTakesOnlyAFileThatFitsOneBlock) {
  cSocketMessageChannel small(&stream, context, 64);
  const uint32_t room = 64 - 4 - 5;  // after the reserved word, with the payload below 64
  const std::string fits = WriteFile("fits.bin", Bytes(room, 0x41));
  ASSERT_EQ(small.BeginMessage(41, 1, 64).code(), hv::kOk);
  ASSERT_EQ(small.AppendFile(fits.c_str()).code(), hv::kOk);
  ASSERT_EQ(small.SendBlock(1).code(), hv::kOk);
  std::vector<SentBlock> blocks = SplitBlocks(stream.Sent());
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].header.version, 1u);
  EXPECT_EQ(U32At(blocks[0].payload, 4), room);

  // One byte more would need a second block, which that form cannot tie to the first.
  stream.ClearSent();
  const std::string too_large = WriteFile("large.bin", Bytes(room + 1, 0x42));
  ASSERT_EQ(small.BeginMessage(41, 1, 64).code(), hv::kOk);
  // The command file monitor tells an older server's refusal by this status, where and all.
  EXPECT_TRUE(small.AppendFile(too_large.c_str()).Is(Where::kProtocol, hv::kBlockFull));
  EXPECT_TRUE(stream.Sent().empty());
  EXPECT_FALSE(context.Beginning());
  EXPECT_EQ(small.OutgoingBlock().block_number, 0u);
  // The long form still splits the same file.
  ASSERT_EQ(small.BeginMessage(41, 2, 64).code(), hv::kOk);
  ASSERT_EQ(small.AppendFile(too_large.c_str()).code(), hv::kOk);
  ASSERT_EQ(small.SendBlock(1).code(), hv::kOk);
  EXPECT_EQ(SplitBlocks(stream.Sent()).size(), 2u);
}

// --- receiving ---

TEST_F(ChannelTest, ExactReadTimesOutAfterFifteenSecondsOfMissingBytes) {
  Bytes block = BlockImage(3, 29, {1, 2, 3, 4}, 0, 1, guid_a);
  block.pop_back();  // one payload byte never comes
  stream.Feed(block);
  const uint32_t start = clock.TickCount();
  uint32_t type = 99;
  EXPECT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kTimedOut);
  const uint32_t waited = clock.TickCount() - start;
  EXPECT_GE(waited, cSocketMessageChannel::kReadTimeoutMs);
  EXPECT_LT(waited, cSocketMessageChannel::kReadTimeoutMs + 20);
  EXPECT_EQ(type, 0u);
  EXPECT_TRUE(dispatcher.seen.empty());
  EXPECT_EQ(context.HeardFromServer(), 0);
  EXPECT_EQ(notices.back(), cTransferState::kIdle);
}

TEST_F(ChannelTest, ExactReadSucceedsWhenBytesTrickleInTinyPieces) {
  Bytes block = BlockImage(3, 29, {1, 2, 3, 4, 5}, 0, 1, guid_a);
  stream.SetMaxPieceSize(1);
  // Each byte arrives 100 ms after the one before: 4.3 s in all, each piece well in time.
  for (size_t i = 0; i < block.size(); ++i) {
    stream.FeedAfter(static_cast<uint32_t>(100 * (i + 1)), {block[i]});
  }
  uint32_t type = 0;
  ASSERT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kOk);
  EXPECT_EQ(type, 29u);
  ASSERT_EQ(dispatcher.seen.size(), 1u);
  EXPECT_EQ(dispatcher.seen[0].payload, (Bytes{1, 2, 3, 4, 5}));
  EXPECT_EQ(context.HeardFromServer(), 1);
  EXPECT_EQ(notices.front(), cTransferState::kReceiving);
  EXPECT_EQ(notices.back(), cTransferState::kIdle);
}

TEST_F(ChannelTest, ReceiveFailuresEndTheReadAndKeepTheVersionSeen) {
  stream.Feed(BlockImage(2, 29, {1, 2}, 0, 1, guid_a));
  stream.FailReceive(1);  // the version arrives, then the stream fails
  cSocketMessageBlock block;
  EXPECT_EQ(channel.ReceiveBlock(&block).code(), hv::kReceiveFailed);
  EXPECT_EQ(channel.ProtocolVersion(), 2u);
  EXPECT_FALSE(block.HasIncoming());

  // A peer that closed mid-block fails at once instead of waiting out the limit.
  cMemoryByteStream closing(clock);
  cSocketMessageChannel closed_channel(&closing, context);
  Bytes partial = BlockImage(3, 29, {1, 2, 3}, 0, 1, guid_a);
  partial.resize(20);
  closing.Feed(partial);
  closing.Close();
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(closed_channel.ReceiveBlock(&block).code(), hv::kReceiveFailed);
  EXPECT_EQ(clock.TickCount() - start, 0u);
}

TEST_F(ChannelTest, HostileLengthCostsAnErrorNotMemory) {
  cBlockHeader header;
  header.version = 3;
  header.type = 33;
  header.payload_length = 0xFFFFFFF0u;
  uint8_t bytes[kLongHeaderSize];
  ASSERT_EQ(EncodeBlockHeader(header, bytes, sizeof(bytes)), kLongHeaderSize);
  stream.Feed(bytes, sizeof(bytes));
  const uint32_t start = clock.TickCount();
  cSocketMessageBlock block;
  EXPECT_EQ(channel.ReceiveBlock(&block).code(), hv::kOutOfMemory);
  EXPECT_EQ(clock.TickCount() - start, 0u);  // refused before any waiting for the payload
  EXPECT_FALSE(block.HasIncoming());

  // The largest allowed payload still comes through.
  Bytes large(cSocketMessageBlock::MaxIncomingPayload, 0x77);
  stream.Feed(BlockImage(3, 33, large, 0, 1, guid_a));
  ASSERT_EQ(channel.ReceiveBlock(&block).code(), hv::kOk);
  EXPECT_EQ(block.IncomingLength(), cSocketMessageBlock::MaxIncomingPayload);
}

TEST_F(ChannelTest, EveryTruncationOfABlockFailsCleanly) {
  const Bytes whole = BlockImage(3, 33, {0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c'}, 0, 1, guid_a);
  for (size_t n = 0; n < whole.size(); ++n) {
    cMemoryByteStream cut(clock);
    cSocketMessageChannel cut_channel(&cut, context);
    cut.Feed(whole.data(), n);
    cut.Close();
    RecordingDispatcher d;
    EXPECT_EQ(cut_channel.ReceiveAndHandleBlock(d, nullptr).code(), hv::kReceiveFailed) << n;
    EXPECT_TRUE(d.seen.empty());
  }
}

// --- reassembly ---

TEST_F(ChannelTest, BlocksArrivingOutOfOrderAreDispatchedInOrder) {
  stream.Feed(BlockImage(3, 33, {'0'}, 0, 0, guid_a));
  stream.Feed(BlockImage(3, 33, {'2'}, 2, 1, guid_a));
  stream.Feed(BlockImage(3, 33, {'1'}, 1, 0, guid_a));
  for (int i = 0; i < 3; ++i) {
    uint32_t type = 0;
    ASSERT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kOk);
    EXPECT_EQ(type, 33u);
    if (i == 0) {
      EXPECT_EQ(channel.LastHandledBlock(), 0);
    }
    if (i == 1) {
      EXPECT_EQ(dispatcher.seen.size(), 1u);  // block 2 waits for block 1
      EXPECT_EQ(channel.EarlyBlockCount(), 1u);
    }
  }
  ASSERT_EQ(dispatcher.seen.size(), 3u);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(dispatcher.seen[i].block_number, i);
    EXPECT_EQ(dispatcher.seen[i].payload, (Bytes{static_cast<uint8_t>('0' + i)}));
    EXPECT_EQ(dispatcher.seen[i].message, dispatcher.seen[0].message);  // one context
  }
  EXPECT_EQ(channel.LastHandledBlock(), cSocketMessageChannel::kNoMessageInProgress);
  EXPECT_EQ(channel.EarlyBlockCount(), 0u);
  EXPECT_EQ(channel.MessagesInProgress(), 0u);
}

TEST_F(ChannelTest, LaterBlockOfAnUnknownMessageIsNotFound) {
  stream.Feed(BlockImage(3, 33, {'0'}, 0, 0, guid_a));
  stream.Feed(BlockImage(3, 33, {'3'}, 3, 1, guid_b));
  ASSERT_EQ(channel.ReceiveAndHandleBlock(dispatcher, nullptr).code(), hv::kOk);
  uint32_t type = 0;
  EXPECT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kNotFound);
  EXPECT_EQ(type, 33u);
  EXPECT_EQ(dispatcher.seen.size(), 1u);
}

TEST_F(ChannelTest, DispatchFailureIsReturnedWithTheType) {
  dispatcher.result = hv::kUnexpectedType;
  stream.Feed(BlockImage(3, 18, {}, 0, 1, guid_a));
  uint32_t type = 0;
  EXPECT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kUnexpectedType);
  EXPECT_EQ(type, 18u);
  dispatcher.result = 1;  // a positive result is not a failure
  stream.Feed(BlockImage(3, 2, {}, 0, 1, guid_a));
  EXPECT_EQ(channel.ReceiveAndHandleBlock(dispatcher, &type).code(), hv::kOk);
}

TEST_F(ChannelTest, ServerCannotMakeUsHoldUnboundedState) {
  stream.Feed(BlockImage(3, 33, {}, 0, 0, guid_a));
  ASSERT_EQ(channel.ReceiveAndHandleBlock(dispatcher, nullptr).code(), hv::kOk);
  int32_t rc = hv::kOk;
  uint32_t kept = 0;
  for (uint32_t n = 5; n < 200 && rc == hv::kOk; ++n) {
    stream.Feed(BlockImage(3, 33, {1, 2, 3}, n, 0, guid_a));
    rc = channel.ReceiveAndHandleBlock(dispatcher, nullptr).code();
    if (rc == hv::kOk) ++kept;
  }
  EXPECT_EQ(rc, hv::kOutOfMemory);
  EXPECT_EQ(kept, cSocketMessageChannel::kMaxEarlyBlocks);

  cMemoryByteStream fresh(clock);
  cSocketMessageChannel many(&fresh, context);
  rc = hv::kOk;
  for (uint32_t n = 0; n < 200 && rc == hv::kOk; ++n) {
    fresh.Feed(BlockImage(3, 33, {}, 0, 0, swGuid(n, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)));
    rc = many.ReceiveAndHandleBlock(dispatcher, nullptr).code();
  }
  EXPECT_EQ(rc, hv::kOutOfMemory);
  EXPECT_EQ(many.MessagesInProgress(), cSocketMessageChannel::kMaxMessagesInProgress);
}

}  // namespace

}  // namespace hv
