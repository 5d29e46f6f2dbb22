// Every request's bytes as the server receives them, and what a sender does when it cannot
// send.
#include "client/protocol/request_sender.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/command_file_request.h"
#include "client/protocol/item_requests.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/testing/memory_socket.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/video_requests.h"
#include "core/testing/temp_folder.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

using hv::test::Bytes;
using hv::test::Payload;

// Requests go out on a socket without a server, into memory where their bytes are read back.
class RequestTest : public ::testing::Test, protected hv::test::cMemorySocket {
 protected:
  // The header of the one block sent, and its payload.
  void ExpectOneBlock(uint32_t type, const Bytes& payload) {
    const Bytes& sent = stream.Sent();
    cBlockHeader header;
    uint32_t consumed = 0;
    ASSERT_TRUE(
        DecodeBlockHeader(sent.data(), static_cast<uint32_t>(sent.size()), &header, &consumed)
            .ok());
    EXPECT_EQ(header.type, type);
    EXPECT_EQ(header.block_number, 0u);
    EXPECT_EQ(header.last_block, 1);
    EXPECT_EQ(header.payload_length, payload.size());
    EXPECT_EQ(Bytes(sent.begin() + consumed, sent.end()), payload) << "type " << type;
  }
};

struct RequestCase {
  const char* name;
  std::function<Status(cRemoteClientSocket*)> send;
  uint32_t type;
  Bytes payload;
};

// The types are spelled as the wire numbers, not by name: this table is what holds the shared
// names to the numbers a real server expects.
TEST_F(RequestTest, EveryRequestSendsItsTypeAndPayload) {
  const RequestCase cases[] = {
      {"Goodbye", SendGoodbye, 1, {}},
      {"Login", [](auto* s) { return SendLogin(s, "ann", "pw"); }, 3,
       Payload().Str("ann").Str("pw")},
      // An empty password is a string of count 1: just the NUL.
      {"Login no password", [](auto* s) { return SendLogin(s, "ann", ""); }, 3,
       Payload().Str("ann").U32(0).U32(1).Raw({0})},
      {"Logoff", SendLogoff, 4, {}},
      {"Get log items", [](auto* s) { return SendGetLogItems(s, 250); }, 5, Payload().U32(250)},
      {"Get switches", SendGetSwitches, 7, {}},
      {"Get sensors", SendGetSensors, 9, {}},
      {"Get macros", SendGetMacros, 11, {}},
      {"Get control file name", SendGetControlFileName, 13, {}},
      // Toggling an unchecked switch asks for On (2) and sends zeros for the values.
      {"Set switch status", [](auto* s) { return SendSetSwitchStatus(s, "Porch", 2, 0, 0, 0.0); },
       15, Payload().Str("Porch").U32(2).Raw(Bytes(16, 0))},
      {"Set sensor status", [](auto* s) { return SendSetSensorStatus(s, "Door", 3, 7, 9, 7.5); },
       16, Payload().Str("Door").U32(3).U32(7).U32(9).F64(7.5)},
      {"Set macro status", [](auto* s) { return SendSetMacroStatus(s, "Wake", 3); }, 17,
       Payload().Str("Wake").U32(3)},
      {"Get client qty", SendGetClientQty, 20, {}},
      {"User message", [](auto* s) { return SendUserMessage(s, "hello"); }, 22,
       Payload().Str("hello")},
      {"Get light dark", SendGetLightDark, 23, {}},
      {"Set light dark", [](auto* s) { return SendSetLightDark(s, 1); }, 24, Payload().U16(1)},
      // House P is house code 15.
      {"Send X10 code", [](auto* s) { return SendX10Code(s, 15, 16, 4, 50); }, 25,
       Payload().U32(15).U32(16).U32(4).U32(50)},
      {"Set pause", [](auto* s) { return SendSetPause(s, 1); }, 26, Payload().U16(1)},
      {"Set mute", [](auto* s) { return SendSetMute(s, 0); }, 27, Payload().U16(0)},
      {"Get server time", SendGetServerTime, 28, {}},
      {"Get video sources", SendGetVideoSources, 30, {}},
      {"Get thumbnails", [](auto* s) { return SendGetThumbnails(s, 100); }, 32,
       Payload().U32(100).U32(1).U32(75).U32(80).U32(60)},
      {"Get full picture",
       [](auto* s) { return SendGetFullPicture(s, "Cam1", "C:\\p\\a.jpg", 1700000000); }, 34,
       Payload().Str("Cam1").Str("C:\\p\\a.jpg").U32(1700000000)},
      {"Snap picture", [](auto* s) { return SendSnapPicture(s, "Cam1"); }, 37,
       Payload().Str("Cam1")},
      {"Video motion", [](auto* s) { return SendVideoMotion(s, "Cam1", 0, 5); }, 44,
       Payload().Str("Cam1").U32(1).U32(0).U32(5)},
      {"Get modes", SendGetModes, 45, {}},
      {"Set mode status", [](auto* s) { return SendSetModeStatus(s, "Away", 1); }, 47,
       Payload().Str("Away").U16(1)},
      {"Start record", [](auto* s) { return SendStartRecord(s, "Cam1"); }, 48,
       Payload().Str("Cam1")},
      {"Stop record", [](auto* s) { return SendStopRecord(s, "Cam1"); }, 49, Payload().Str("Cam1")},
      {"Get dawn dusk", SendGetDawnDusk, 54, {}},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    stream.ClearSent();
    ASSERT_EQ(c.send(&socket).code(), hv::kOk);
    ExpectOneBlock(c.type, c.payload);
  }
}

TEST_F(RequestTest, TypedTextGoesOutInTheCodePageAndServerNamesByteForByte) {
  const RequestCase cases[] = {
      // "Café" as typed is 43 61 66 e9 on the wire, as a Windows server reads it.
      {"User message", [](auto* s) { return SendUserMessage(s, "Caf\xC3\xA9"); }, 22,
       Payload().Str("Caf\xE9")},
      // A character without a code-page form keeps the whole text in UTF-8.
      {"User message beyond the code page",
       [](auto* s) { return SendUserMessage(s, "Caf\xC3\xA9 \xE2\x98\x95"); }, 22,
       Payload().Str("Caf\xC3\xA9 \xE2\x98\x95")},
      {"Login", [](auto* s) { return SendLogin(s, "Zo\xC3\xAB", "cr\xC3\xA8me"); }, 3,
       Payload().Str("Zo\xEB").Str("cr\xE8me")},
      // A name the server sent, UTF-8 or not, goes back exactly as it came.
      {"Server's UTF-8 name", [](auto* s) { return SendSetMacroStatus(s, "Caf\xC3\xA9", 3); }, 17,
       Payload().Str("Caf\xC3\xA9").U32(3)},
      {"Server's code-page name", [](auto* s) { return SendSnapPicture(s, "Caf\xE9"); }, 37,
       Payload().Str("Caf\xE9")},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    stream.ClearSent();
    ASSERT_EQ(c.send(&socket).code(), hv::kOk);
    ExpectOneBlock(c.type, c.payload);
  }
  EXPECT_EQ(SendUserMessage(&socket, nullptr).code(), hv::kMissingArgument);
}

TEST_F(RequestTest, GetSwitchesOnVersion3IsThe38ByteHeaderAlone) {
  ASSERT_EQ(SendGetSwitches(&socket).code(), hv::kOk);
  const Bytes& sent = stream.Sent();
  ASSERT_EQ(sent.size(), 38u);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 8), (Bytes{3, 0, 0, 0, 7, 0, 0, 0}));
  EXPECT_EQ(Bytes(sent.begin() + 28, sent.end()), (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

TEST_F(RequestTest, RequestsAnswerInTheVersionTheServerLastUsed) {
  socket.Channel()->SetProtocolVersion(1);
  ASSERT_EQ(SendSetMute(&socket, 1).code(), hv::kOk);
  EXPECT_EQ(stream.Sent(), (Bytes{1, 0, 0, 0, 27, 0, 0, 0, 2, 0, 0, 0, 1, 0}));
}

TEST_F(RequestTest, GetLogItemsTurnsTheLogFeedOnOnlyWhenSent) {
  stream.FailSend();
  EXPECT_EQ(SendGetLogItems(&socket, 250).code(), hv::kSendFailed);
  EXPECT_EQ(socket.LogFeedOn(), 0);
  EXPECT_EQ(SendGetLogItems(&socket, 250).code(), hv::kOk);
  EXPECT_EQ(socket.LogFeedOn(), 1);
}

TEST_F(RequestTest, FailuresComeBackAndReleaseTheOutgoingBlock) {
  EXPECT_EQ(SendGetSwitches(nullptr).code(), hv::kMissingArgument);
  EXPECT_EQ(SendSnapPicture(&socket, nullptr).code(), hv::kMissingArgument);
  stream.FailSend();
  EXPECT_EQ(SendGetMacros(&socket).code(), hv::kSendFailed);
  // Nothing stays half-begun: the next request goes out whole.
  EXPECT_FALSE(context.Beginning());
  stream.ClearSent();
  EXPECT_EQ(SendGetMacros(&socket).code(), hv::kOk);
  ExpectOneBlock(msg::kGetMacros, {});
  // A name too long for one block fails before anything is sent.
  stream.ClearSent();
  std::string huge(70000, 'x');
  EXPECT_EQ(SendUserMessage(&socket, huge.c_str()).code(), hv::kBlockFull);
  EXPECT_TRUE(stream.Sent().empty());
  EXPECT_FALSE(context.Beginning());
}

TEST_F(RequestTest, CommandFileSendsItsStringsAndOneChunkPerBlock) {
  hv::test::cTempFolder dir("hvreq");
  ASSERT_FALSE(dir.path().empty());
  std::string empty_file = dir.File("empty.cmd");
  std::string full_file = dir.File("full.cmd");
  { std::ofstream(empty_file, std::ios::binary); }
  Bytes contents(150000);
  for (size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<uint8_t>(i * 7);
  {
    std::ofstream out(full_file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(contents.data()),
              static_cast<std::streamsize>(contents.size()));
  }

  ASSERT_EQ(SendCommandFile(&socket, empty_file.c_str(), "").code(), hv::kOk);
  ExpectOneBlock(msg::kSendCommandFile, Payload().Str(empty_file).Str(""));

  stream.ClearSent();
  ASSERT_EQ(SendCommandFile(&socket, full_file.c_str(), "C:\\resp.txt").code(), hv::kOk);
  // Reassemble the chunks from the blocks and compare with the file.
  const Bytes& sent = stream.Sent();
  size_t pos = 0;
  Bytes gathered;
  uint32_t expected_number = 0;
  uint16_t last = 0;
  while (pos < sent.size()) {
    cBlockHeader h;
    uint32_t consumed = 0;
    ASSERT_TRUE(DecodeBlockHeader(sent.data() + pos, static_cast<uint32_t>(sent.size() - pos), &h,
                                  &consumed)
                    .ok());
    EXPECT_EQ(h.type, msg::kSendCommandFile);
    EXPECT_EQ(h.block_number, expected_number++);
    last = h.last_block;
    const uint8_t* p = sent.data() + pos + consumed;
    uint32_t skip = 0;
    if (h.block_number == 0) {
      skip = static_cast<uint32_t>(Payload().Str(full_file).Str("C:\\resp.txt").bytes().size());
    }
    uint32_t count = GetU32(p + skip + 4);
    gathered.insert(gathered.end(), p + skip + 8, p + skip + 8 + count);
    pos += consumed + h.payload_length;
  }
  EXPECT_EQ(last, 1);
  EXPECT_GT(expected_number, 2u);
  EXPECT_EQ(gathered, contents);

  stream.ClearSent();
  EXPECT_EQ(SendCommandFile(&socket, dir.File("missing").c_str(), "").code(), hv::kCannotOpenFile);
  EXPECT_TRUE(stream.Sent().empty());
}

}  // namespace

}  // namespace hv
