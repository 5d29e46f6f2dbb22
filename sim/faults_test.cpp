// The fault options a client's tests start housesim with: each does what it says.
#include <gtest/gtest.h>

#include "core/wire/message_types.h"
#include "sim/console.h"
#include "sim/loopback_client_testutil.h"
#include "sim/request_reader.h"

namespace hv::sim {
namespace {

TEST(FaultsTest, HeaderVersionOneUsesTheShortFormAndOneBlockPerPicture) {
  Options options;
  options.wire.version = 1;
  options.wire.chunk_size = 100;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kGetServerTime, nullptr, 1);
  client.Send(
      msg::kGetThumbnails,
      [](wire::PayloadWriter& m) {
        for (uint32_t v : {1u, 1u, 75u, 80u, 60u}) (void)m.AppendU32(v);
      },
      1);
  ASSERT_TRUE(sim.PumpUntil([&] { return client.OfType(msg::kThumbnail).size() == 2; }));
  // The first answer (Client qty after login) is 12 header bytes and a u32.
  ASSERT_GE(client.raw.size(), 16u);
  EXPECT_EQ(GetU32(client.raw.data()), 1u);
  EXPECT_EQ(GetU32(client.raw.data() + 4), static_cast<uint32_t>(msg::kClientQty));
  EXPECT_EQ(GetU32(client.raw.data() + 8), 4u);
  // Version 1 thumbnails carry no clip fields: source, path, time stamp, u32, one chunk.
  RequestReader thumbnail(client.OfType(msg::kThumbnail)[0]->payload);
  thumbnail.String();
  thumbnail.String();
  thumbnail.U32();
  thumbnail.U32();
  std::string picture;
  EXPECT_TRUE(thumbnail.Chunk(&picture));
  EXPECT_GT(picture.size(), 100u);
  EXPECT_EQ(thumbnail.Remaining(), 0u);
}

TEST(FaultsTest, HeaderVersionTwoLeavesOutTheClipFields) {
  Options options;
  options.wire.version = 2;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kSnapPicture,
              [](wire::PayloadWriter& m) { (void)m.AppendString("Front Porch"); });
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kThumbnail).empty(); }));
  const ReceivedBlock& block = *client.OfType(msg::kThumbnail)[0];
  EXPECT_EQ(block.header.version, 2u);
  RequestReader thumbnail(block.payload);
  thumbnail.String();
  thumbnail.String();
  EXPECT_EQ(thumbnail.U32(), static_cast<uint32_t>(sim.clock.WallSeconds()));  // no u16 first
}

TEST(FaultsTest, OldServerLeavesOutTheLaterFields) {
  Options options;
  options.wire.old_server = true;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kGetSensors);
  client.Send(msg::kGetLogItems, [](wire::PayloadWriter& m) { (void)m.AppendU32(10); });
  client.Send(msg::kSetSensorStatus, [](wire::PayloadWriter& m) {
    (void)m.AppendString("Outside Temp");
    (void)m.AppendU32(17);
    (void)m.AppendU32(12);
    (void)m.AppendU32(0);
    (void)m.AppendF64(12.5);
  });
  ASSERT_TRUE(sim.PumpUntil([&] {
    return !client.OfType(msg::kSensorStatus).empty() && !client.OfType(msg::kLogItem).empty();
  }));
  // Sensor item: name, description, kind, status, value as integer, and nothing more.
  RequestReader item(client.OfType(msg::kSensorItem)[4]->payload);
  EXPECT_EQ(item.String(), "Living Room Temp");
  item.String();
  item.U32();
  item.U32();
  EXPECT_EQ(item.U32(), 21u);
  EXPECT_EQ(item.Remaining(), 0u);
  // Status change: name, status, value as integer, extra; no double.
  RequestReader change(client.OfType(msg::kSensorStatus)[0]->payload);
  change.String();
  change.U32();
  EXPECT_EQ(change.U32(), 12u);
  change.U32();
  EXPECT_EQ(change.Remaining(), 0u);
  EXPECT_EQ(sim.house.FindSensor("Outside Temp")->value, 12.5);
}

TEST(FaultsTest, OutOfOrderSendsTheBlocksOfAMessageBackwardsAfterTheFirst) {
  Options options;
  options.wire.out_of_order = true;
  options.wire.chunk_size = 400;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kSnapPicture,
              [](wire::PayloadWriter& m) { (void)m.AppendString("Front Porch"); });
  ASSERT_TRUE(sim.PumpUntil([&] {
    auto t = client.OfType(msg::kThumbnail);
    return !t.empty() && t.back()->header.block_number == 1;
  }));
  auto blocks = client.OfType(msg::kThumbnail);
  ASSERT_GE(blocks.size(), 3u);
  EXPECT_EQ(blocks[0]->header.block_number, 0u);
  EXPECT_EQ(blocks[1]->header.block_number, blocks.size() - 1);
  EXPECT_EQ(blocks[1]->header.last_block, 1u);
  for (size_t i = 1; i + 1 < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i]->header.block_number, blocks[i + 1]->header.block_number + 1);
    EXPECT_EQ(blocks[i]->header.guid, blocks[0]->header.guid);
  }
}

TEST(FaultsTest, NoGoodbyeClosesRejectedLoginsAndShutdownSilently) {
  Options options;
  options.close_without_goodbye = true;
  SimHarness sim(options);
  LoopbackClient& rejected = sim.Connect(false);
  rejected.Login("demo", "nope");
  ASSERT_TRUE(sim.PumpUntil([&] { return rejected.closed; }));
  EXPECT_TRUE(rejected.raw.empty());

  LoopbackClient& client = sim.Connect();
  size_t before = client.raw.size();
  sim.server.BeginShutdown();
  ASSERT_TRUE(sim.PumpUntil([&] { return client.closed; }));
  EXPECT_EQ(client.raw.size(), before);
}

TEST(FaultsTest, UnknownBlockAndGarbageFollowAnAcceptedLogin) {
  Options options;
  options.unknown_block_after_login = true;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kRefusedAnswer18).empty(); }));

  Options garbage_options;
  garbage_options.garbage_after_login = true;
  SimHarness garbage_sim(garbage_options);
  LoopbackClient& victim = garbage_sim.Connect();
  ASSERT_TRUE(garbage_sim.PumpUntil([&] { return victim.garbage; }));
  const std::string& garbage = RequestAnswerer::GarbageBytes();
  std::string tail(victim.raw.end() - static_cast<std::ptrdiff_t>(garbage.size()),
                   victim.raw.end());
  EXPECT_EQ(tail, garbage);
}

TEST(FaultsTest, ConsoleTriggersFaultsOnLoggedInClients) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  LoopbackClient& anonymous = sim.Connect(false);
  EXPECT_EQ(RunConsoleCommand(sim.server, "unknown-block"), "unknown block sent to 1 client\n");
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kRefusedAnswer18).empty(); }));
  EXPECT_EQ(RunConsoleCommand(sim.server, "drop"), "dropped 2 connections\n");
  ASSERT_TRUE(sim.PumpUntil([&] { return client.closed && anonymous.closed; }));
  EXPECT_EQ(client.blocks.back().header.type, static_cast<uint32_t>(msg::kRefusedAnswer18));
}

TEST(FaultsTest, TrickleWritesSmallPiecesWithPauses) {
  Options options;
  options.trickle_bytes = 3;
  options.trickle_pause_ms = 20;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect(false);
  client.Login("demo", "demo");
  // The Client qty answer is 42 bytes; only 3 may go out per 20 ms of the fake clock.
  ASSERT_TRUE(sim.PumpUntil([&] { return client.raw.size() == 3; }));
  sim.Settle();
  EXPECT_EQ(client.raw.size(), 3u);
  for (int step = 0; step < 13; ++step) {
    sim.clock.Advance(20);
    size_t expected = std::min<size_t>(3 * (step + 2), 42);
    ASSERT_TRUE(sim.PumpUntil([&] { return client.raw.size() == expected; })) << step;
  }
  ASSERT_EQ(client.OfType(msg::kClientQty).size(), 1u);
  for (size_t size : client.read_sizes) EXPECT_LE(size, 3u);
}

TEST(FaultsTest, StallMidBlockHoldsPartOfABlockBackForAWhile) {
  Options options;
  options.stream_faults.stall_percent = 100;
  options.stream_faults.stall_max_ms = 500;
  options.stream_faults.seed = 7;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect(false);
  client.Login("demo", "demo");
  // The Client qty answer is 42 bytes; it stops somewhere inside them.
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.raw.empty(); }));
  sim.Settle();
  EXPECT_GT(client.raw.size(), 0u);
  EXPECT_LT(client.raw.size(), 42u);
  EXPECT_TRUE(client.blocks.empty());
  sim.clock.Advance(500);
  ASSERT_TRUE(sim.PumpUntil([&] { return client.OfType(msg::kClientQty).size() == 1; }));
  EXPECT_FALSE(client.closed);
}

TEST(FaultsTest, DropClosesTheConnectionInMidBlockWithoutGoodbye) {
  Options options;
  options.stream_faults.drop_percent = 100;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect(false);
  client.Login("demo", "demo");
  ASSERT_TRUE(sim.PumpUntil([&] { return client.closed; }));
  EXPECT_GT(client.raw.size(), 0u);
  EXPECT_LT(client.raw.size(), 42u);
  EXPECT_TRUE(client.blocks.empty());
  EXPECT_EQ(sim.server.ConnectionCount(), 0u);
}

}  // namespace
}  // namespace hv::sim
