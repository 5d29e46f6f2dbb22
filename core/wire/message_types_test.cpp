#include "core/wire/message_types.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace hv {

namespace {

// A number that is both a request and an answer is logged by its request name, since only
// requests reach the server's log; answer-only numbers and strangers are no request.
TEST(RequestName, NamesRequestsAndOnlyRequests) {
  EXPECT_STREQ(msg::RequestName(msg::kSetSwitchStatus), "Set switch status");
  EXPECT_STREQ(msg::RequestName(msg::kSwitchStatus), "Set switch status");
  EXPECT_STREQ(msg::RequestName(msg::kGetFullPicture), "Get full picture or video");
  EXPECT_STREQ(msg::RequestName(msg::kGetDawnDusk), "Get dawn dusk");
  for (uint32_t answer :
       {msg::kDroppedNumberAnswer2, msg::kLogItem, msg::kSwitchItem, msg::kClientQty,
        msg::kServerTime, msg::kThumbnail, msg::kDawnDusk, 0u, 56u, 0xffffffffu}) {
    EXPECT_STREQ(msg::RequestName(answer), "unknown request") << answer;
  }
}

// Every request the client can send has its own name: a copy-and-paste slip in the table
// would log one request as another.
TEST(RequestName, EveryRequestHasADistinctName) {
  const uint32_t requests[] = {
      msg::kGoodbye,         msg::kLogin,           msg::kLogoff,         msg::kGetLogItems,
      msg::kGetSwitches,     msg::kGetSensors,      msg::kGetMacros,      msg::kGetControlFileName,
      msg::kSetSwitchStatus, msg::kSetSensorStatus, msg::kSetMacroStatus, msg::kGetClientQty,
      msg::kUserMessage,     msg::kGetLightDark,    msg::kSetLightDark,   msg::kSendX10Code,
      msg::kSetPause,        msg::kSetMute,         msg::kGetServerTime,  msg::kGetVideoSources,
      msg::kGetThumbnails,   msg::kGetFullPicture,  msg::kSnapPicture,    msg::kSendCommandFile,
      msg::kVideoMotion,     msg::kGetModes,        msg::kSetModeStatus,  msg::kStartRecord,
      msg::kStopRecord,      msg::kGetDawnDusk};
  for (uint32_t a : requests) {
    EXPECT_STRNE(msg::RequestName(a), "unknown request") << a;
    for (uint32_t b : requests) {
      if (a == b) continue;
      EXPECT_NE(std::string(msg::RequestName(a)), msg::RequestName(b)) << a << " " << b;
    }
  }
}

// The client and housesim both take their numbers from this one table, so a slip in it would
// pass every test that runs one against the other and still break a real server. The answer
// numbers are pinned here; the requests are pinned by the client's request tests.
TEST(MessageTypes, AnswersKeepTheirWireNumbers) {
  const std::pair<uint32_t, uint32_t> answers[] = {
      {msg::kDroppedNumberAnswer2, 2},
      {msg::kLogItem, 6},
      {msg::kSwitchItem, 8},
      {msg::kSensorItem, 10},
      {msg::kMacroItem, 12},
      {msg::kControlFileName, 14},
      {msg::kSwitchStatus, 15},
      {msg::kSensorStatus, 16},
      {msg::kMacroStatus, 17},
      {msg::kRefusedAnswer18, 18},
      {msg::kClientQty, 21},
      {msg::kLightDark, 24},
      {msg::kPauseState, 26},
      {msg::kMuteState, 27},
      {msg::kServerTime, 29},
      {msg::kVideoSource, 31},
      {msg::kThumbnail, 33},
      {msg::kFullPicture, 35},
      {msg::kDroppedTextsAndNumberAnswer36, 36},
      {msg::kServerMessage, 38},
      {msg::kCommandResponse, 42},
      {msg::kLaunchProgram, 43},
      {msg::kModeItem, 46},
      {msg::kModeStatus, 47},
      {msg::kEmptyAnswer52, 52},
      {msg::kEmptyAnswer53, 53},
      {msg::kRefusedAnswer54, 54},
      {msg::kDawnDusk, 55},
      {msg::kHighestType, 55},
  };
  for (const auto& [named, wire] : answers) EXPECT_EQ(named, wire);
}

}  // namespace

}  // namespace hv
