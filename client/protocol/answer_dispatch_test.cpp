// Answers decoded from crafted blocks: the type rules, the defaults older servers leave to
// us, the version-dependent thumbnail fields, and files the server names.
#include "client/protocol/answer_dispatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/protocol/socket_message_block.h"
#include "client/protocol/testing/memory_socket.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/testing/recording_services.h"
#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

using hv::test::Bytes;
using hv::test::Payload;

// Answers arrive on a socket without a server; what they become is recorded.
class AnswerTest : public ::testing::Test,
                   protected hv::test::cRecordingServices,
                   protected hv::test::cMemorySocket {
 protected:
  AnswerTest() : cMemorySocket(&services) { services.data_folder = data.path().c_str(); }

  // Dispatches one block with its own fresh message context.
  int32_t Dispatch(uint32_t type, const Bytes& payload, uint32_t version = 3) {
    return DispatchStatus(type, payload, version).code();
  }
  Status DispatchStatus(uint32_t type, const Bytes& payload, uint32_t version = 3) {
    cSocketMessage message;
    return DispatchAnswerBlock(&message, type, payload, version, 0, 1);
  }
  int32_t DispatchBlock(cSocketMessage* message, uint32_t type, const Bytes& payload,
                        uint32_t version, uint32_t number, uint16_t last) {
    return DispatchAnswerBlock(message, type, payload, version, number, last).code();
  }
  Status DispatchAnswerBlock(cSocketMessage* message, uint32_t type, const Bytes& payload,
                             uint32_t version, uint32_t number, uint16_t last) {
    cSocketMessageBlock block;
    block.type = type;
    block.version = version;
    block.block_number = number;
    block.last_block = last;
    EXPECT_EQ(block.SetIncoming(payload.data(), static_cast<uint32_t>(payload.size())).code(), 0);
    return DispatchAnswer(cAnswerCall{socket, services, user, message, block});
  }

  hv::test::cTempFolder data;
  swString user{"ann"};
};

TEST_F(AnswerTest, TypeRules) {
  cSocketMessageBlock block;
  block.type = msg::kSwitchItem;
  EXPECT_EQ(DispatchAnswer(cAnswerCall{socket, services, user, nullptr, block}).code(),
            hv::kMissingArgument);
  for (uint32_t type :
       {0u, msg::kRefusedAnswer18, msg::kRefusedAnswer54, msg::kHighestType + 1, 1000u}) {
    EXPECT_EQ(Dispatch(type, {}), hv::kUnexpectedType) << type;
  }
  // Read error -2147217309 is what the user sees for these.
  EXPECT_EQ(hv::kUnexpectedType, -2147217309);
  // Echoed requests and contentless answers are read as nothing, whatever they carry.
  for (uint32_t type :
       {msg::kGoodbye, msg::kLogin, msg::kLogoff, msg::kGetLogItems, msg::kGetSwitches,
        msg::kUnreadAnswer19, msg::kGetServerTime, msg::kSendCommandFile, msg::kUnreadAnswer50,
        msg::kUnreadAnswer51, msg::kDroppedNumberAnswer2, msg::kDroppedTextsAndNumberAnswer36,
        msg::kEmptyAnswer52, msg::kEmptyAnswer53}) {
    EXPECT_EQ(Dispatch(type, Bytes{1, 2, 3}), hv::kOk) << type;
  }
  EXPECT_TRUE(receiver.switches.empty());
}

TEST_F(AnswerTest, LogItemsOnlyOnceTheFeedIsOn) {
  Bytes item = Payload()
                   .U32(5)
                   .Str("Front door")
                   .Str("Opened")
                   .Str("A1/sensor")
                   .U32(20)
                   .U32(3)
                   .U32(2)
                   .Str("dropped")
                   .Str("01/02/2024")
                   .Str("08:00:00 AM")
                   .F64(3.5)
                   .U32(7)
                   .U32(9);
  EXPECT_EQ(Dispatch(msg::kLogItem, item), hv::kOk);
  EXPECT_TRUE(receiver.logs.empty());

  socket.SetLogFeedOn(1);
  EXPECT_EQ(Dispatch(msg::kLogItem, item), hv::kOk);
  ASSERT_EQ(receiver.logs.size(), 1u);
  const LogItemRecord& r = receiver.logs[0];
  EXPECT_EQ(r.entry_type, 5);
  EXPECT_STREQ(r.name.CStr(), "Front door");
  EXPECT_STREQ(r.message.CStr(), "Opened");
  EXPECT_STREQ(r.path.CStr(), "A1/sensor");
  EXPECT_EQ(r.function_code, 20);
  EXPECT_EQ(r.extra, 2);
  EXPECT_STREQ(r.date_text.CStr(), "01/02/2024");
  EXPECT_STREQ(r.time_text.CStr(), "08:00:00 AM");
  EXPECT_EQ(r.value, 3.5);
  EXPECT_EQ(r.detail1, 7);
  EXPECT_EQ(r.detail2, 9);

  // An older server stops after the time text: the value comes from the integer.
  Bytes old =
      Payload().U32(99).Str("n").Str("m").Str("").U32(2).U32(42).U32(0).Str("").Str("d").Str("t");
  EXPECT_EQ(Dispatch(msg::kLogItem, old), hv::kOk);
  EXPECT_EQ(receiver.logs[1].entry_type, 99);
  EXPECT_EQ(receiver.logs[1].value, 42.0);
  EXPECT_EQ(receiver.logs[1].detail1, 0);
}

TEST_F(AnswerTest, ItemsAndStatusesWithTheirDefaults) {
  EXPECT_EQ(Dispatch(msg::kSwitchItem,
                     Payload().Str("Porch").Str("front").U32(1).U32(2).U32(0).F64(0.0).U32(4)),
            hv::kOk);
  // A sensor from a server that sends no f64 (nor IO kind) shows the integer value.
  EXPECT_EQ(Dispatch(msg::kSensorItem, Payload().Str("Temp").Str("").U32(2).U32(17).U32(21)),
            hv::kOk);
  EXPECT_EQ(Dispatch(msg::kMacroItem,
                     Payload().Str("Wake").Str("d").U32(3).U16(1).U32(1).U32(2).U32(3).U32(4)),
            hv::kOk);
  EXPECT_EQ(Dispatch(msg::kModeItem, Payload().Str("Away").Str("gone").U16(1)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kSwitchStatus, Payload().Str("Porch").U32(3).U32(0).U32(0).F64(0)),
            hv::kOk);
  EXPECT_EQ(Dispatch(msg::kSensorStatus, Payload().Str("Temp").U32(17).U32(-5)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kMacroStatus, Payload().Str("Wake").U32(2)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kModeStatus, Payload().Str("Away").U16(0)), hv::kOk);
  // The empty name that ends a list is handed on like any other item.
  EXPECT_EQ(Dispatch(msg::kSwitchItem, Payload().Str("")), hv::kOk);

  ASSERT_EQ(receiver.switches.size(), 2u);
  EXPECT_STREQ(receiver.switches[0].name.CStr(), "Porch");
  EXPECT_EQ(receiver.switches[0].kind, 1u);
  EXPECT_EQ(receiver.switches[0].status, 2u);
  EXPECT_EQ(receiver.switches[0].io_kind, 4u);
  EXPECT_STREQ(receiver.switches[1].name.CStr(), "");
  ASSERT_EQ(receiver.sensors.size(), 1u);
  EXPECT_EQ(receiver.sensors[0].value_as_integer, 21);
  EXPECT_EQ(receiver.sensors[0].value, 21.0);
  ASSERT_EQ(receiver.macros.size(), 1u);
  EXPECT_EQ(receiver.macros[0].startup, 1);
  EXPECT_EQ(receiver.macros[0].stop_sensor_quantity, 4u);
  ASSERT_EQ(receiver.modes.size(), 1u);
  EXPECT_EQ(receiver.modes[0].state, 1);
  ASSERT_EQ(receiver.switch_status.size(), 1u);
  EXPECT_EQ(receiver.switch_status[0].status, 3u);
  ASSERT_EQ(receiver.sensor_status.size(), 1u);
  EXPECT_EQ(receiver.sensor_status[0].value, -5.0);  // the integer is signed
  EXPECT_EQ(receiver.macro_status[0].status, 2u);
  EXPECT_EQ(receiver.mode_status[0].state, 0);
}

TEST_F(AnswerTest, ServerFacts) {
  EXPECT_EQ(Dispatch(msg::kControlFileName, Payload().Str("House.ctl")), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kClientQty, Payload().U32(3)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kLightDark, Payload().U16(1)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kPauseState, Payload().U16(0)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kMuteState, Payload().U16(1)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kServerTime, Payload().U32(1700000000).U16(0)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kDawnDusk, Payload().U32(100).U32(200)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kVideoSource, Payload().Str("Cam1").U32(2)), hv::kOk);
  EXPECT_EQ(receiver.control_file_name, "House.ctl");
  EXPECT_EQ(receiver.client_qty, 3);
  EXPECT_EQ(receiver.light_dark, 1);
  EXPECT_EQ(receiver.pause, 0);
  EXPECT_EQ(receiver.mute, 1);
  EXPECT_EQ(receiver.server_times, std::vector<int32_t>{1700000000});
  EXPECT_EQ(receiver.dawn, 100u);
  EXPECT_EQ(receiver.dusk, 200u);
  ASSERT_EQ(receiver.video_sources.size(), 1u);
  EXPECT_EQ(receiver.video_sources[0].source_number, 2u);
}

TEST_F(AnswerTest, MissingReceiverDropsAnswersWithoutFailing) {
  services.receiver = nullptr;
  EXPECT_EQ(Dispatch(msg::kSwitchItem, Payload().Str("Porch")), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kServerTime, Payload().U32(5)), hv::kOk);
  EXPECT_EQ(Dispatch(msg::kThumbnail,
                     Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk({1, 2})),
            hv::kOk);
  EXPECT_TRUE(receiver.switches.empty());
}

TEST_F(AnswerTest, ThumbnailFieldsDependOnTheHeaderVersion) {
  Bytes picture{0xff, 0xd8, 0xff, 0xe0, 1, 2, 3};
  EXPECT_EQ(Dispatch(msg::kThumbnail,
                     Payload()
                         .Str("Cam1")
                         .Str("C:\\snap\\1.jpg")
                         .U16(1)
                         .Str("C:\\c.avi")
                         .U32(1700000000)
                         .U32(0)
                         .Chunk(picture),
                     3),
            hv::kOk);
  // Version 2: no is clip and no clip path on the wire.
  EXPECT_EQ(Dispatch(msg::kThumbnail,
                     Payload().Str("Cam2").Str("p2.jpg").U32(1600000000).U32(0).Chunk(picture), 2),
            hv::kOk);
  ASSERT_EQ(receiver.thumbnails.size(), 2u);
  EXPECT_EQ(receiver.thumbnails[0].is_clip, 1);
  EXPECT_STREQ(receiver.thumbnails[0].clip_path.CStr(), "C:\\c.avi");
  EXPECT_EQ(receiver.thumbnails[0].time_stamp, 1700000000u);
  EXPECT_EQ(receiver.thumbnails[1].is_clip, 0);
  EXPECT_STREQ(receiver.thumbnails[1].clip_path.CStr(), "");
  EXPECT_EQ(receiver.thumbnails[1].time_stamp, 1600000000u);
  EXPECT_EQ(receiver.thumbnail_bytes[0], picture);
  EXPECT_EQ(receiver.thumbnail_bytes[1], picture);
}

TEST_F(AnswerTest, ThumbnailInOneBlockIsHandedOverFromMemoryWithoutAFile) {
  // Not even a temporary folder that cannot be written to stops it: no file is needed. The
  // missing folder lies in a private one that must stay empty (the shared temporary folder
  // is written by the tests that run beside this one).
  const hv::test::cTempFolder scratch("hvtmp");
  const Bytes picture{0xff, 0xd8, 0xff, 0xe0, 9, 8, 7};
  int32_t rc = hv::kOk;
  {
    const hv::test::cScopedEnv tmpdir("TMPDIR", scratch.File("missing"));
    rc = Dispatch(msg::kThumbnail,
                  Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk(picture));
  }
  EXPECT_EQ(rc, hv::kOk);
  ASSERT_EQ(receiver.thumbnail_files, std::vector<std::string>{""});
  EXPECT_EQ(receiver.thumbnail_bytes[0], picture);
  EXPECT_TRUE(hv::test::FolderEntries(scratch.path()).empty());

  // A chunk left out is an empty picture (the receiver drops it); a count that runs past
  // the payload is a broken answer, and nothing is handed over.
  EXPECT_EQ(Dispatch(msg::kThumbnail, Payload().Str("Cam1").Str("q").U16(0).Str("").U32(1).U32(0)),
            hv::kOk);
  ASSERT_EQ(receiver.thumbnail_bytes.size(), 2u);
  EXPECT_TRUE(receiver.thumbnail_bytes[1].empty());
  EXPECT_EQ(Dispatch(msg::kThumbnail,
                     Payload().Str("Cam1").Str("r").U16(0).Str("").U32(1).U32(0).U32(0).U32(50).Raw(
                         {1, 2, 3})),
            hv::kNoPayload);
  EXPECT_EQ(receiver.thumbnails.size(), 2u);
}

TEST_F(AnswerTest, ThumbnailOverSeveralBlocksGathersEveryChunk) {
  cSocketMessage message;
  ASSERT_EQ(DispatchBlock(&message, msg::kThumbnail,
                          Payload().Str("Cam1").Str("p").U16(0).Str("").U32(9).U32(0).Chunk({1, 2}),
                          3, 0, 0),
            hv::kOk);
  std::string temp = message.temp_file_name.CStr();
  EXPECT_FALSE(temp.empty());
  ASSERT_EQ(DispatchBlock(&message, msg::kThumbnail, Payload().Chunk({3}), 3, 1, 0), hv::kOk);
  // A later block that claims to be another kind of answer ends the message.
  EXPECT_EQ(DispatchBlock(&message, msg::kFullPicture, Payload().Chunk({9}), 3, 2, 0),
            hv::kUnexpectedType);
  ASSERT_EQ(DispatchBlock(&message, msg::kThumbnail, Payload().Chunk({4, 5}), 3, 2, 1), hv::kOk);
  ASSERT_EQ(receiver.thumbnail_bytes.size(), 1u);
  EXPECT_EQ(receiver.thumbnail_bytes[0], (Bytes{1, 2, 3, 4, 5}));

  // The next gathered thumbnail is written over the same file, and a shorter picture is
  // handed over without the end of the earlier one.
  cSocketMessage next;
  ASSERT_EQ(DispatchBlock(&next, msg::kThumbnail,
                          Payload().Str("Cam1").Str("q").U16(0).Str("").U32(9).U32(0).Chunk({6}), 3,
                          0, 0),
            hv::kOk);
  EXPECT_EQ(next.temp_file_name.CStr(), temp);
  ASSERT_EQ(DispatchBlock(&next, msg::kThumbnail, Payload().Chunk({7}), 3, 1, 1), hv::kOk);
  ASSERT_EQ(receiver.thumbnail_bytes.size(), 2u);
  EXPECT_EQ(receiver.thumbnail_bytes[1], (Bytes{6, 7}));
  EXPECT_EQ(socket.ScratchFiles().FileCount(), 1u);
}

TEST_F(AnswerTest, UnfinishedThumbnailFileGoesWithTheSocket) {
  std::string temp;
  {
    cRemoteClientSocket short_lived(nullptr, context, &services);
    cSocketMessage message;
    cSocketMessageBlock block;
    block.type = msg::kThumbnail;
    block.last_block = 0;
    Bytes p = Payload().Str("Cam1").Str("p").U16(0).Str("").U32(9).U32(0).Chunk({1});
    ASSERT_EQ(block.SetIncoming(p.data(), static_cast<uint32_t>(p.size())).code(), 0);
    ASSERT_EQ(DispatchAnswer(cAnswerCall{short_lived, services, user, &message, block}).code(), 0);
    temp = message.temp_file_name.CStr();
    EXPECT_EQ(short_lived.ScratchFiles().FileCount(), 1u);
  }
  // The file was either never named, or its name went with the socket.
  EXPECT_FALSE(temp.find("/VHX") != std::string::npos && std::filesystem::exists(temp));
}

TEST_F(AnswerTest, ThumbnailTheReceiverCannotKeepFailsAndItsFileServesTheNext) {
  receiver.thumbnail_result = hv::kOutOfMemory;
  EXPECT_EQ(Dispatch(msg::kThumbnail,
                     Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk({1})),
            hv::kOutOfMemory);
  // Gathered over two blocks: the failure gives the temporary file back for the next.
  cSocketMessage message;
  ASSERT_EQ(DispatchBlock(&message, msg::kThumbnail,
                          Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk({1}), 3,
                          0, 0),
            hv::kOk);
  EXPECT_EQ(DispatchBlock(&message, msg::kThumbnail, Payload().Chunk({2}), 3, 1, 1),
            hv::kOutOfMemory);
  ASSERT_EQ(receiver.thumbnail_files.size(), 2u);
  receiver.thumbnail_result = hv::kOk;
  cSocketMessage next;
  ASSERT_EQ(DispatchBlock(&next, msg::kThumbnail,
                          Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk({5}), 3,
                          0, 0),
            hv::kOk);
  EXPECT_EQ(next.temp_file_name.CStr(), receiver.thumbnail_files[1]);
  EXPECT_EQ(socket.ScratchFiles().FileCount(), 1u);
}

// The connection shows only the number; where it came from tells a broken answer from a
// window that could not keep what it was given.
TEST_F(AnswerTest, AFailureSaysWhetherTheAnswerOrItsReceiverFailed) {
  const Status broken = DispatchStatus(
      msg::kThumbnail,
      Payload().Str("Cam1").Str("r").U16(0).Str("").U32(1).U32(0).U32(0).U32(50).Raw({1, 2, 3}));
  EXPECT_TRUE(broken.Is(Where::kProtocol, hv::kNoPayload)) << broken.ToString();
  receiver.thumbnail_result = hv::kOutOfMemory;
  const Status unkept = DispatchStatus(
      msg::kThumbnail, Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk({1}));
  EXPECT_TRUE(unkept.Is(Where::kUi, hv::kOutOfMemory)) << unkept.ToString();
  // A receiver's decline is no failure of the connection: the block was read.
  receiver.thumbnail_result = hv::kDeclined;
  EXPECT_TRUE(DispatchStatus(msg::kThumbnail,
                             Payload().Str("Cam1").Str("p").U16(0).Str("").U32(1).U32(0).Chunk({1}))
                  .ok());
}

TEST_F(AnswerTest, FullPictureIsStoredByItsFilePartAndOpened) {
  cSocketMessage message;
  ASSERT_EQ(
      DispatchBlock(&message, msg::kFullPicture,
                    Payload().Str("Cam1").Str("C:\\Pictures\\cam1.jpg").U32(5).Chunk({1, 2, 3}), 3,
                    0, 0),
      hv::kOk);
  EXPECT_TRUE(shell.opened.empty());  // not before the last block
  ASSERT_EQ(DispatchBlock(&message, msg::kFullPicture, Payload().Chunk({4}), 3, 1, 1), hv::kOk);
  std::string stored = data.File("cam1.jpg");
  EXPECT_EQ(hv::test::ReadWholeFile(stored), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(shell.opened, std::vector<std::string>{stored});
  EXPECT_EQ(hv::test::FolderEntries(data.path()), std::vector<std::string>{"cam1.jpg"});
}

TEST_F(AnswerTest, AnEarlierPictureStaysWholeUntilTheNewOneIsComplete) {
  cSocketMessage first;
  ASSERT_EQ(DispatchBlock(&first, msg::kFullPicture,
                          Payload().Str("Cam1").Str("cam1.jpg").U32(5).Chunk({1, 2}), 1, 0, 1),
            hv::kOk);
  const std::string stored = data.File("cam1.jpg");
  ASSERT_EQ(hv::test::ReadWholeFile(stored), (Bytes{1, 2}));

  // A second transfer of the same name that stops half-way leaves the first picture alone,
  // so "Display" never opens a cut-off file.
  cSocketMessage second;
  ASSERT_EQ(DispatchBlock(&second, msg::kFullPicture,
                          Payload().Str("Cam1").Str("cam1.jpg").U32(6).Chunk({9}), 3, 0, 0),
            hv::kOk);
  EXPECT_EQ(hv::test::ReadWholeFile(stored), (Bytes{1, 2}));
  EXPECT_EQ(shell.opened.size(), 1u);

  cSocketMessage third;
  ASSERT_EQ(DispatchBlock(&third, msg::kFullPicture,
                          Payload().Str("Cam1").Str("cam1.jpg").U32(7).Chunk({5}), 2, 0, 0),
            hv::kOk);
  ASSERT_EQ(DispatchBlock(&third, msg::kFullPicture, Payload().Chunk({6}), 2, 1, 1), hv::kOk);
  EXPECT_EQ(hv::test::ReadWholeFile(stored), (Bytes{5, 6}));
  EXPECT_EQ(hv::test::FolderEntries(data.path()), std::vector<std::string>{"cam1.jpg"});
}

TEST_F(AnswerTest, WhatIsPlantedAtAPicturesNameIsReplacedNeverWrittenThrough) {
  // A link to a file elsewhere: the link goes, the file it named stays as it was.
  hv::test::cTempFolder outside("hvoutside");
  const std::string victim = outside.path() + "/victim";
  hv::test::WriteText(victim, "*");
  std::filesystem::create_symlink(victim, data.File("cam1.jpg"));
  ASSERT_EQ(Dispatch(msg::kFullPicture, Payload().Str("Cam1").Str("cam1.jpg").U32(5).Chunk({3})),
            hv::kOk);
  EXPECT_FALSE(std::filesystem::is_symlink(data.File("cam1.jpg")));
  EXPECT_EQ(hv::test::ReadWholeFile(data.File("cam1.jpg")), Bytes{3});
  EXPECT_EQ(hv::test::ReadWholeFile(victim), Bytes{'*'});
  // A folder with something in it cannot be replaced: the transfer fails and leaves both
  // the folder and no part file behind.
  std::filesystem::create_directory(data.File("cam2.jpg"));
  hv::test::WriteText(data.File("cam2.jpg") + "/inside", "1");
  EXPECT_EQ(Dispatch(msg::kFullPicture, Payload().Str("Cam2").Str("cam2.jpg").U32(5).Chunk({4})),
            hv::kCannotOpenFile);
  EXPECT_EQ(hv::test::ReadWholeFile(data.File("cam2.jpg") + "/inside"), Bytes{'1'});
  EXPECT_EQ(hv::test::FolderEntries(data.path()),
            (std::vector<std::string>{"cam1.jpg", "cam2.jpg"}));
}

TEST_F(AnswerTest, HostileFileNamesStayInsideTheDataFolder) {
  for (const char* name : {"..\\..\\x", "../../x", "/etc/x"}) {
    EXPECT_EQ(Dispatch(msg::kFullPicture, Payload().Str("Cam1").Str(name).U32(5).Chunk({7})),
              hv::kOk)
        << name;
    EXPECT_EQ(Dispatch(msg::kCommandResponse, Payload().Str(name).Chunk({8})), hv::kOk) << name;
  }
  EXPECT_EQ(hv::test::FolderEntries(data.path()), std::vector<std::string>{"x"});
  EXPECT_EQ(hv::test::ReadWholeFile(data.File("x")), Bytes{8});
  for (const char* name : {"C:\\x\\", "a/..", ".", ""}) {
    EXPECT_EQ(Dispatch(msg::kFullPicture, Payload().Str("Cam1").Str(name).U32(5).Chunk({7})),
              hv::kCannotOpenFile)
        << name;
    EXPECT_EQ(Dispatch(msg::kCommandResponse, Payload().Str(name).Chunk({7})), hv::kCannotOpenFile)
        << name;
  }
  EXPECT_EQ(hv::test::FolderEntries(data.path()), std::vector<std::string>{"x"});
}

TEST_F(AnswerTest, CommandResponseIsStoredAndHandedOn) {
  ASSERT_EQ(
      Dispatch(msg::kCommandResponse, Payload().Str("C:\\VHCmdResponse.txt").Chunk({'o', 'k'})),
      hv::kOk);
  ASSERT_EQ(Dispatch(msg::kCommandResponse, Payload().Str("C:\\VHCmdResponse.txt").Chunk({'2'})),
            hv::kOk);
  std::string stored = data.File("VHCmdResponse.txt");
  EXPECT_EQ(hv::test::ReadWholeFile(stored), Bytes{'2'});  // replaced, not appended
  ASSERT_EQ(receiver.responses.size(), 2u);
  EXPECT_EQ(receiver.responses[0].first, "C:\\VHCmdResponse.txt");
  EXPECT_EQ(receiver.responses[0].second, stored);
}

TEST_F(AnswerTest, ServerMessageReachesTheReceiverOnlyWhenAddressedToUs) {
  ASSERT_EQ(Dispatch(msg::kServerMessage, Payload().Str("ALL").U32(0).Str("Notice").Str("Hello")),
            hv::kOk);
  ASSERT_EQ(Dispatch(msg::kServerMessage, Payload().Str("Ann").U32(1).Str("Plain").Str("Hi")),
            hv::kOk);
  ASSERT_EQ(Dispatch(msg::kServerMessage, Payload().Str("bob").U32(0).Str("X").Str("not for us")),
            hv::kOk);
  ASSERT_EQ(receiver.server_messages.size(), 2u);
  EXPECT_STREQ(receiver.server_messages[0].text.CStr(), "Hello");
  EXPECT_STREQ(receiver.server_messages[0].caption.CStr(), "Notice");
  EXPECT_EQ(receiver.server_messages[0].plain, 0u);
  EXPECT_EQ(receiver.server_messages[1].plain, 1u);
}

TEST_F(AnswerTest, LaunchProgramReachesTheReceiverAndItsFailureKeepsTheConnection) {
  ASSERT_EQ(Dispatch(msg::kLaunchProgram, Payload()
                                              .Str("/usr/bin/true")
                                              .Str("open")
                                              .Str("-a \"b c\"")
                                              .Str("/tmp")
                                              .U32(1)
                                              .Str("all")),
            hv::kOk);
  ASSERT_EQ(Dispatch(msg::kLaunchProgram,
                     Payload().Str("x").Str("open").Str("").Str("").U32(1).Str("bob")),
            hv::kOk);
  ASSERT_EQ(receiver.launches.size(), 1u);
  EXPECT_STREQ(receiver.launches[0].file.CStr(), "/usr/bin/true");
  EXPECT_STREQ(receiver.launches[0].verb.CStr(), "open");
  EXPECT_STREQ(receiver.launches[0].parameters.CStr(), "-a \"b c\"");
  EXPECT_STREQ(receiver.launches[0].directory.CStr(), "/tmp");
  EXPECT_TRUE(shell.executed.empty());  // starting it is the desktop's business

  receiver.launch_result = hv::kCannotOpenFile;
  EXPECT_EQ(Dispatch(msg::kLaunchProgram,
                     Payload().Str("doc.txt").Str("print").Str("").Str("").U32(1).Str("ann")),
            hv::kOk);
  EXPECT_EQ(receiver.launches.size(), 2u);
}

TEST_F(AnswerTest, TruncatedStringsNeverCrashTheDecoders) {
  // Counts that run past the payload, and payloads cut anywhere, decode to defaults.
  Bytes full = Payload().Str("Porch").Str("front").U32(1).U32(2).U32(5).F64(5.0).U32(4);
  for (size_t cut = 0; cut < full.size(); ++cut) {
    EXPECT_GE(
        Dispatch(msg::kSwitchItem, Bytes(full.begin(), full.begin() + static_cast<long>(cut))), 0);
  }
  EXPECT_EQ(Dispatch(msg::kSwitchItem, Payload().U32(0).U32(0xFFFFFFF0u).Raw({'a'})), hv::kOk);
}

}  // namespace

}  // namespace hv
