#include "sim/server.h"

#include <gtest/gtest.h>

#include "core/wire/message_types.h"
#include "sim/console.h"
#include "sim/loopback_client_testutil.h"
#include "sim/request_reader.h"

namespace hv::sim {
namespace {

void AppendSetStatus(wire::PayloadWriter& b, const char* name, uint32_t status) {
  (void)b.AppendString(name);
  (void)b.AppendU32(status);
  (void)b.AppendU32(0);
  (void)b.AppendU32(0);
  (void)b.AppendF64(0);
}

TEST(ServerTest, LoginAcceptedCountsTheClientAndRejectedLoginGetsGoodbyeAndClose) {
  SimHarness sim;
  LoopbackClient& good = sim.Connect(false);
  good.Login("DEMO", "demo");  // user names match without regard to case
  ASSERT_TRUE(sim.PumpUntil([&] { return !good.OfType(msg::kClientQty).empty(); }));
  RequestReader qty(good.OfType(msg::kClientQty)[0]->payload);
  EXPECT_EQ(qty.U32(), 1u);

  LoopbackClient& bad = sim.Connect(false);
  bad.Login("demo", "wrong");
  ASSERT_TRUE(sim.PumpUntil([&] { return bad.closed; }));
  ASSERT_EQ(bad.blocks.size(), 1u);
  EXPECT_EQ(bad.blocks[0].header.type, msg::kGoodbye);
  EXPECT_EQ(sim.server.LoggedInCount(), 1u);

  // Requests before a login are not answered.
  LoopbackClient& anonymous = sim.Connect(false);
  anonymous.Send(msg::kGetSwitches);
  sim.Settle();
  EXPECT_TRUE(anonymous.blocks.empty());
}

TEST(ServerTest, TextIsWindows1252OnTheWireAndUtf8InTheHouse) {
  HouseData data = DemoHouse();
  SwitchItem lamp;
  lamp.name = "Caf\xC3\xA9 Lamp";  // the house file is UTF-8
  data.switches.push_back(lamp);
  SimHarness sim(Options(), std::move(data));
  LoopbackClient& client = sim.Connect();

  // Names go out in the code page, as a Windows server sends them.
  client.Send(msg::kGetSwitches);
  ASSERT_TRUE(sim.PumpUntil([&] {
    auto items = client.OfType(msg::kSwitchItem);
    return !items.empty() && FirstString(*items.back()).empty();
  }));
  const std::string raw(client.raw.begin(), client.raw.end());
  EXPECT_NE(raw.find("Caf\xE9 Lamp"), std::string::npos);
  EXPECT_EQ(raw.find("Caf\xC3\xA9 Lamp"), std::string::npos);

  // A request naming it in the code page finds it, and so does one in UTF-8.
  client.Send(msg::kSetSwitchStatus,
              [](wire::PayloadWriter& b) { AppendSetStatus(b, "Caf\xE9 Lamp", kOn); });
  ASSERT_TRUE(
      sim.PumpUntil([&] { return sim.house.FindSwitch("Caf\xC3\xA9 Lamp")->status == kOn; }));
  client.Send(msg::kSetSwitchStatus,
              [](wire::PayloadWriter& b) { AppendSetStatus(b, "Caf\xC3\xA9 Lamp", kOff); });
  ASSERT_TRUE(
      sim.PumpUntil([&] { return sim.house.FindSwitch("Caf\xC3\xA9 Lamp")->status == kOff; }));

  // A client sends UTF-8 when the code page cannot hold its text; that reads as UTF-8.
  client.Send(msg::kUserMessage,
              [](wire::PayloadWriter& b) { (void)b.AppendString("Tea \xE2\x98\x95"); });
  ASSERT_TRUE(
      sim.PumpUntil([&] { return sim.house.RecentLog(1)[0].message == "Tea \xE2\x98\x95"; }));
}

TEST(ServerTest, EveryListEndsWithAnItemWithAnEmptyName) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  const struct {
    uint32_t request;
    uint32_t answer;
    size_t items;
  } kLists[] = {{msg::kGetSwitches, msg::kSwitchItem, sim.house.data().switches.size()},
                {msg::kGetSensors, msg::kSensorItem, sim.house.data().sensors.size()},
                {msg::kGetMacros, msg::kMacroItem, sim.house.data().macros.size()},
                {msg::kGetModes, msg::kModeItem, sim.house.data().modes.size()}};
  for (const auto& list : kLists) {
    client.Send(list.request);
    ASSERT_TRUE(sim.PumpUntil([&] { return client.OfType(list.answer).size() == list.items + 1; }))
        << "request " << list.request;
    auto items = client.OfType(list.answer);
    for (size_t i = 0; i < list.items; ++i) EXPECT_FALSE(FirstString(*items[i]).empty());
    EXPECT_EQ(FirstString(*items.back()), "");
  }
}

TEST(ServerTest, SwitchItemCarriesEveryFieldOfTheRecord) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kGetSwitches);
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kSwitchItem).empty(); }));
  RequestReader item(client.OfType(msg::kSwitchItem)[0]->payload);
  EXPECT_EQ(item.String(), "Porch Light");
  EXPECT_EQ(item.String(), "Front porch lantern");
  EXPECT_EQ(item.U32(), 1u);     // X10 switch
  EXPECT_EQ(item.U32(), 3u);     // off
  EXPECT_EQ(item.U32(99), 0u);   // value as integer
  EXPECT_EQ(item.F64(99), 0.0);  // value
  EXPECT_EQ(item.U32(99), 0u);   // IO kind
  EXPECT_EQ(item.Remaining(), 0u);
}

TEST(ServerTest, StatusChangeReachesEveryLoggedInClient) {
  SimHarness sim;
  LoopbackClient& a = sim.Connect();
  LoopbackClient& b = sim.Connect();
  a.Send(msg::kSetSwitchStatus,
         [](wire::PayloadWriter& m) { AppendSetStatus(m, "Porch Light", 2); });
  ASSERT_TRUE(sim.PumpUntil([&] {
    return !a.OfType(msg::kSwitchStatus).empty() && !b.OfType(msg::kSwitchStatus).empty();
  }));
  RequestReader change(b.OfType(msg::kSwitchStatus)[0]->payload);
  EXPECT_EQ(change.String(), "Porch Light");
  EXPECT_EQ(change.U32(), 2u);
  EXPECT_EQ(sim.house.FindSwitch("Porch Light")->status, 2u);

  // Modes, light/dark, pause and mute reach everybody too.
  a.Send(msg::kSetModeStatus, [](wire::PayloadWriter& m) {
    (void)m.AppendString("Away");
    (void)m.AppendU16(1);
  });
  a.Send(msg::kSetLightDark, [](wire::PayloadWriter& m) { (void)m.AppendU16(1); });
  a.Send(msg::kSetPause, [](wire::PayloadWriter& m) { (void)m.AppendU16(1); });
  a.Send(msg::kSetMute, [](wire::PayloadWriter& m) { (void)m.AppendU16(1); });
  for (uint32_t type : {msg::kModeStatus, msg::kLightDark, msg::kPauseState, msg::kMuteState}) {
    ASSERT_TRUE(sim.PumpUntil([&] { return !b.OfType(type).empty(); })) << "type " << type;
  }
  EXPECT_TRUE(sim.house.FindMode("Away")->active);
  EXPECT_TRUE(sim.house.data().facts.dark);
}

TEST(ServerTest, LogItemsGoOnlyToClientsWithTheLogFeedOn) {
  SimHarness sim;
  for (int i = 0; i < 5; ++i) sim.house.UserMessage("old " + std::to_string(i), "someone");
  LoopbackClient& feed = sim.Connect();
  LoopbackClient& quiet = sim.Connect();
  feed.Send(msg::kGetLogItems, [](wire::PayloadWriter& m) { (void)m.AppendU32(3); });
  ASSERT_TRUE(sim.PumpUntil([&] { return feed.OfType(msg::kLogItem).size() == 3; }));
  // The newest three stored entries, oldest first.
  RequestReader first(feed.OfType(msg::kLogItem)[0]->payload);
  EXPECT_EQ(first.U32(), static_cast<uint32_t>(kEntryUserMessage));
  first.String();
  EXPECT_EQ(first.String(), "old 2");

  quiet.Send(msg::kUserMessage, [](wire::PayloadWriter& m) { (void)m.AppendString("hello"); });
  ASSERT_TRUE(sim.PumpUntil([&] { return feed.OfType(msg::kLogItem).size() == 4; }));
  RequestReader entry(feed.OfType(msg::kLogItem)[3]->payload);
  EXPECT_EQ(entry.U32(), static_cast<uint32_t>(kEntryUserMessage));
  EXPECT_EQ(entry.String(), "demo");
  EXPECT_EQ(entry.String(), "hello");
  sim.Settle();
  EXPECT_TRUE(quiet.OfType(msg::kLogItem).empty());
}

TEST(ServerTest, MacroRunsForItsDurationThenGoesBackToMonitoring) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  // The startup macro is already running and ends on its own.
  EXPECT_EQ(sim.house.FindMacro("Welcome Home")->status, static_cast<uint32_t>(kMacroRunning));
  const MacroItem* macro = sim.house.FindMacro("Good Morning");
  client.Send(msg::kSetMacroStatus, [](wire::PayloadWriter& m) {
    (void)m.AppendString("Good Morning");
    (void)m.AppendU32(3);
  });
  auto changes = [&] {
    std::vector<const ReceivedBlock*> out;
    for (const ReceivedBlock* b : client.OfType(msg::kMacroStatus)) {
      if (FirstString(*b) == "Good Morning") out.push_back(b);
    }
    return out;
  };
  ASSERT_TRUE(sim.PumpUntil([&] { return changes().size() == 1; }));
  EXPECT_EQ(macro->status, static_cast<uint32_t>(kMacroRunning));
  sim.clock.Advance(macro->run_ms - 1);
  sim.Settle();
  EXPECT_EQ(changes().size(), 1u);
  sim.clock.Advance(1);
  ASSERT_TRUE(sim.PumpUntil([&] { return changes().size() == 2; }));
  RequestReader done(changes()[1]->payload);
  EXPECT_EQ(done.String(), "Good Morning");
  EXPECT_EQ(done.U32(), static_cast<uint32_t>(kMacroMonitoring));
}

// Reassembles the picture chunks of one multi-block picture answer that starts at `first`.
std::vector<uint8_t> PictureOf(const std::vector<const ReceivedBlock*>& blocks, size_t first,
                               bool thumbnail, size_t* block_count) {
  std::vector<uint8_t> picture;
  size_t i = first;
  for (;; ++i) {
    const ReceivedBlock& block = *blocks[i];
    EXPECT_EQ(block.header.block_number, i - first);
    EXPECT_EQ(block.header.guid, blocks[first]->header.guid);
    RequestReader reader(block.payload);
    if (i == first) {
      reader.String();
      reader.String();
      if (thumbnail) {
        reader.U16();
        reader.String();
        reader.U32();
      }
      reader.U32();
    }
    std::string chunk;
    EXPECT_TRUE(reader.Chunk(&chunk));
    picture.insert(picture.end(), chunk.begin(), chunk.end());
    if (block.header.last_block == 1) break;
  }
  *block_count = i - first + 1;
  return picture;
}

bool LooksLikeJpeg(const std::vector<uint8_t>& bytes) {
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 &&
         bytes[bytes.size() - 2] == 0xFF && bytes[bytes.size() - 1] == 0xD9;
}

TEST(ServerTest, ThumbnailsTravelOverSeveralBlocksAndHonourTheMaximum) {
  Options options;
  options.wire.chunk_size = 500;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kGetThumbnails, [](wire::PayloadWriter& m) {
    for (uint32_t v : {2u, 1u, 75u, 80u, 60u}) (void)m.AppendU32(v);
  });
  // Two pictures for each of the two sources.
  auto lasts = [&] {
    size_t n = 0;
    for (const ReceivedBlock* b : client.OfType(msg::kThumbnail)) n += b->header.last_block;
    return n;
  };
  ASSERT_TRUE(sim.PumpUntil([&] { return lasts() == 4; }));
  sim.Settle();
  EXPECT_EQ(lasts(), 4u);
  auto blocks = client.OfType(msg::kThumbnail);
  RequestReader head(blocks[0]->payload);
  EXPECT_EQ(head.String(), "Front Porch");
  size_t block_count = 0;
  std::vector<uint8_t> picture = PictureOf(blocks, 0, true, &block_count);
  EXPECT_GT(block_count, 1u);
  EXPECT_TRUE(LooksLikeJpeg(picture));
}

TEST(ServerTest, SnapPushesANewThumbnailAndStopRecordMakesAClip) {
  SimHarness sim;
  LoopbackClient& a = sim.Connect();
  LoopbackClient& b = sim.Connect();
  a.Send(msg::kSnapPicture, [](wire::PayloadWriter& m) { (void)m.AppendString("Back Yard"); });
  ASSERT_TRUE(sim.PumpUntil([&] {
    auto t = b.OfType(msg::kThumbnail);
    return !t.empty() && t.back()->header.last_block == 1;
  }));
  EXPECT_EQ(FirstString(*b.OfType(msg::kThumbnail)[0]), "Back Yard");

  a.Send(msg::kStartRecord, [](wire::PayloadWriter& m) { (void)m.AppendString("Back Yard"); });
  a.Send(msg::kStopRecord, [](wire::PayloadWriter& m) { (void)m.AppendString("Back Yard"); });
  size_t before = a.OfType(msg::kThumbnail).size();
  ASSERT_TRUE(sim.PumpUntil([&] {
    auto t = a.OfType(msg::kThumbnail);
    return t.size() > before && t.back()->header.last_block == 1;
  }));
  RequestReader clip(a.OfType(msg::kThumbnail)[before]->payload);
  EXPECT_EQ(clip.String(), "Back Yard");
  EXPECT_NE(clip.String(), "");
  EXPECT_EQ(clip.U16(), 1u);  // is clip
  EXPECT_NE(clip.String().find(".avi"), std::string::npos);
}

TEST(ServerTest, FullPictureIsLargerAndComesOverSeveralBlocks) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  Snapshot shot = sim.house.RecentSnapshots("Front Porch", 1)[0];
  client.Send(msg::kGetFullPicture, [&](wire::PayloadWriter& m) {
    (void)m.AppendString("Front Porch");
    (void)m.AppendString(shot.picture_path.c_str());
    (void)m.AppendU32(shot.time_stamp);
  });
  ASSERT_TRUE(sim.PumpUntil([&] {
    auto t = client.OfType(msg::kFullPicture);
    return !t.empty() && t.back()->header.last_block == 1;
  }));
  auto blocks = client.OfType(msg::kFullPicture);
  RequestReader head(blocks[0]->payload);
  head.String();
  EXPECT_EQ(head.String(), shot.picture_path);
  size_t count = 0;
  std::vector<uint8_t> picture = PictureOf(blocks, 0, false, &count);
  EXPECT_TRUE(LooksLikeJpeg(picture));
  EXPECT_GT(count, 2u);
}

TEST(ServerTest, CommandFileChangesTheHouseAndAnswersWithOneLinePerCommand) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  std::string commands = "switch \"Porch Light\" on\r\n# a comment\r\nmode Away on\r\n";
  std::string rest = "switch Nowhere off\r\nmacro \"Good Night\" run\r\n";
  // Block 0: both paths and the first chunk; block 1: the second chunk.
  wire::PayloadWriter first;
  (void)first.AppendString("C:\\VHCmd.txt");
  (void)first.AppendString("C:\\VHCmdResponse.txt");
  (void)first.AppendChunk(reinterpret_cast<const uint8_t*>(commands.data()), commands.size());
  wire::PayloadWriter second;
  (void)second.AppendChunk(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
  client.SendBlocks(msg::kSendCommandFile, {first.bytes(), second.bytes()});

  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kCommandResponse).empty(); }));
  RequestReader response(client.OfType(msg::kCommandResponse)[0]->payload);
  EXPECT_EQ(response.String(), "C:\\VHCmdResponse.txt");
  std::string text;
  EXPECT_TRUE(response.Chunk(&text));
  EXPECT_EQ(text,
            "OK switch \"Porch Light\" on\r\n"
            "OK mode Away on\r\n"
            "ERROR switch Nowhere off: no switch named \"Nowhere\"\r\n"
            "OK macro \"Good Night\" run\r\n");
  EXPECT_EQ(sim.house.FindSwitch("Porch Light")->status, static_cast<uint32_t>(kOn));
  EXPECT_TRUE(sim.house.FindMode("Away")->active);
  EXPECT_EQ(sim.house.FindMacro("Good Night")->status, static_cast<uint32_t>(kMacroRunning));
}

TEST(ServerTest, X10CodeSwitchesTheSwitchAtThatAddress) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  client.Send(msg::kSendX10Code, [](wire::PayloadWriter& m) {
    for (uint32_t v : {0u, 3u, 4u, 60u}) (void)m.AppendU32(v);  // A4 dim 60
  });
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kSwitchStatus).empty(); }));
  EXPECT_EQ(FirstString(*client.OfType(msg::kSwitchStatus)[0]), "Kitchen Lights");
  EXPECT_EQ(sim.house.FindSwitch("Kitchen Lights")->status, static_cast<uint32_t>(kDim));
  EXPECT_EQ(sim.house.FindSwitch("Kitchen Lights")->value, 60);
}

TEST(ServerTest, AnswersTheServerFacts) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  for (uint32_t type : {msg::kGetServerTime, msg::kGetDawnDusk, msg::kGetControlFileName,
                        msg::kGetVideoSources, msg::kGetLightDark, msg::kGetClientQty}) {
    client.Send(type);
  }
  ASSERT_TRUE(sim.PumpUntil([&] { return client.OfType(msg::kVideoSource).size() == 2; }));
  ASSERT_TRUE(sim.PumpUntil([&] { return client.OfType(msg::kClientQty).size() == 2; }));
  RequestReader time(client.OfType(msg::kServerTime).at(0)->payload);
  EXPECT_EQ(time.U32(), static_cast<uint32_t>(sim.clock.WallSeconds()));
  RequestReader dawn_dusk(client.OfType(msg::kDawnDusk).at(0)->payload);
  uint32_t dawn = dawn_dusk.U32();
  uint32_t dusk = dawn_dusk.U32();
  EXPECT_EQ(dusk - dawn, (19 * 60 + 30 - (6 * 60 + 45)) * 60u);
  EXPECT_EQ(FirstString(*client.OfType(msg::kControlFileName).at(0)),
            sim.house.data().facts.control_file);
  RequestReader source(client.OfType(msg::kVideoSource)[1]->payload);
  EXPECT_EQ(source.String(), "Back Yard");
  EXPECT_EQ(source.U32(), 2u);
  EXPECT_EQ(client.OfType(msg::kLightDark).at(0)->payload.size(), 2u);
}

TEST(ServerTest, ShutdownSendsGoodbyeToEveryClientAndFinishes) {
  SimHarness sim;
  LoopbackClient& a = sim.Connect();
  LoopbackClient& b = sim.Connect(false);
  sim.server.BeginShutdown();
  ASSERT_TRUE(sim.PumpUntil([&] { return a.closed && b.closed; }));
  EXPECT_EQ(a.blocks.back().header.type, msg::kGoodbye);
  EXPECT_EQ(b.blocks.back().header.type, msg::kGoodbye);
  EXPECT_TRUE(sim.PumpUntil([&] { return sim.server.Finished(); }));
}

TEST(ServerTest, ConsoleSendsServerMessagesAndLaunchesAndRunsHouseCommands) {
  SimHarness sim;
  LoopbackClient& client = sim.Connect();
  EXPECT_EQ(RunConsoleCommand(sim.server, "message All \"From the house\" \"Dinner is ready\""),
            "server message sent to 1 client\n");
  EXPECT_EQ(RunConsoleCommand(sim.server, "launch demo notes.txt"),
            "launch program sent to 1 client\n");
  EXPECT_EQ(RunConsoleCommand(sim.server, "switch \"Hall Light\" off"),
            "OK switch \"Hall Light\" off\n");
  ASSERT_TRUE(sim.PumpUntil([&] {
    return !client.OfType(msg::kServerMessage).empty() &&
           !client.OfType(msg::kLaunchProgram).empty() &&
           !client.OfType(msg::kSwitchStatus).empty();
  }));
  RequestReader message(client.OfType(msg::kServerMessage)[0]->payload);
  EXPECT_EQ(message.String(), "All");
  EXPECT_EQ(message.U32(), 0u);
  EXPECT_EQ(message.String(), "From the house");
  EXPECT_EQ(message.String(), "Dinner is ready");
  RequestReader launch(client.OfType(msg::kLaunchProgram)[0]->payload);
  EXPECT_EQ(launch.String(), "notes.txt");
  EXPECT_EQ(launch.String(), "open");
  EXPECT_EQ(RunConsoleCommand(sim.server, "message All"),
            "usage: message [--plain] TARGET CAPTION TEXT\n");
}

TEST(ServerTest, AHostileClientIsDisconnectedAndOthersAreStillServed) {
  SimHarness sim;
  LoopbackClient& good = sim.Connect();
  LoopbackClient& noisy = sim.Connect(false);
  noisy.SendRaw("GET / HTTP/1.1\r\nHost: x\r\n\r\n", 27);
  ASSERT_TRUE(sim.PumpUntil([&] { return noisy.closed; }));

  // A header that announces a payload far larger than any client block.
  LoopbackClient& greedy = sim.Connect(false);
  uint8_t header[12];
  PutU32(header, 1);
  PutU32(header + 4, msg::kLogin);
  PutU32(header + 8, 0x7FFFFFFF);
  greedy.SendRaw(header, sizeof header);
  ASSERT_TRUE(sim.PumpUntil([&] { return greedy.closed; }));

  // A truncated login (string count past the end) is a failed login, not a crash.
  LoopbackClient& truncated = sim.Connect(false);
  truncated.Send(msg::kLogin, [](wire::PayloadWriter& m) {
    (void)m.AppendU32(0);
    (void)m.AppendU32(5000);
  });
  ASSERT_TRUE(sim.PumpUntil([&] { return truncated.closed; }));

  good.Send(msg::kGetModes);
  ASSERT_TRUE(sim.PumpUntil([&] { return good.OfType(msg::kModeItem).size() == 4; }));
}

}  // namespace
}  // namespace hv::sim

namespace hv::sim {
namespace {

TEST(ServerTest, AnimationTripsAndClearsMotionAndDriftsTemperature) {
  Options options;
  options.animate = true;
  options.animate_period_ms = 100;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  for (int step = 0; step < 5; ++step) {
    sim.clock.Advance(100);
    ASSERT_TRUE(
        sim.PumpUntil([&] { return client.OfType(msg::kSensorStatus).size() == step + 1u; }));
  }
  auto changes = client.OfType(msg::kSensorStatus);
  RequestReader tripped(changes[0]->payload);
  EXPECT_EQ(tripped.String(), "Hall Motion");
  EXPECT_EQ(tripped.U32(), static_cast<uint32_t>(kMotion));
  RequestReader cleared(changes[1]->payload);
  EXPECT_EQ(cleared.String(), "Hall Motion");
  EXPECT_EQ(cleared.U32(), static_cast<uint32_t>(kMotionStopped));
  EXPECT_EQ(FirstString(*changes[2]), "Living Room Temp");
  EXPECT_EQ(FirstString(*changes[3]), "Front Door");
  EXPECT_EQ(sim.house.FindSensor("Front Door")->status, static_cast<uint32_t>(kDoorClosed));
}

TEST(ServerTest, ControlPortRunsConsoleCommands) {
  Options options;
  options.control_host = "127.0.0.1";
  options.control_port = 0;
  SimHarness sim(options);
  LoopbackClient& client = sim.Connect();
  LoopbackClient control(sim.server.control_port());
  ASSERT_TRUE(control.connected());
  control.SendRaw("mode Away on\r\nclients\n", 22);
  ASSERT_TRUE(sim.PumpUntil([&] {
    control.Poll();  // not one of the harness's clients
    return std::string(control.raw.begin(), control.raw.end()).find("logged in") !=
           std::string::npos;
  }));
  EXPECT_EQ(std::string(control.raw.begin(), control.raw.end()).substr(0, 16), "OK mode Away on\n");
  ASSERT_TRUE(sim.PumpUntil([&] { return !client.OfType(msg::kModeStatus).empty(); }));
}

}  // namespace
}  // namespace hv::sim
