// The message types of the wire protocol, one table for both ends: the client sends the
// requests and reads the answers, housesim the other way round. A request and the answer that
// carries the same kind of data share a number (Set switch status and Switch status are both
// 15), so both names stand for it.
#ifndef HV_CORE_WIRE_MESSAGE_TYPES_H_
#define HV_CORE_WIRE_MESSAGE_TYPES_H_

#include <cstdint>

namespace hv {

namespace msg {

// Requests (client to server).
constexpr uint32_t kGoodbye = 1;
constexpr uint32_t kLogin = 3;
constexpr uint32_t kLogoff = 4;
constexpr uint32_t kGetLogItems = 5;
constexpr uint32_t kGetSwitches = 7;
constexpr uint32_t kGetSensors = 9;
constexpr uint32_t kGetMacros = 11;
constexpr uint32_t kGetControlFileName = 13;
constexpr uint32_t kSetSwitchStatus = 15;
constexpr uint32_t kSetSensorStatus = 16;
constexpr uint32_t kSetMacroStatus = 17;
constexpr uint32_t kGetClientQty = 20;
constexpr uint32_t kUserMessage = 22;
constexpr uint32_t kGetLightDark = 23;
constexpr uint32_t kSetLightDark = 24;
constexpr uint32_t kSendX10Code = 25;
constexpr uint32_t kSetPause = 26;
constexpr uint32_t kSetMute = 27;
constexpr uint32_t kGetServerTime = 28;
constexpr uint32_t kGetVideoSources = 30;
constexpr uint32_t kGetThumbnails = 32;
constexpr uint32_t kGetFullPicture = 34;
constexpr uint32_t kSnapPicture = 37;
constexpr uint32_t kSendCommandFile = 41;
constexpr uint32_t kVideoMotion = 44;
constexpr uint32_t kGetModes = 45;
constexpr uint32_t kSetModeStatus = 47;
constexpr uint32_t kStartRecord = 48;
constexpr uint32_t kStopRecord = 49;
constexpr uint32_t kGetDawnDusk = 54;

// Answers (server to client). Goodbye (1) goes both ways: the server ends a session with it.
// The server's own names of four answers are not known; their names say what they carry, which
// the client reads past and drops: a number (2), two texts and a number (36), or nothing (52, 53).
constexpr uint32_t kDroppedNumberAnswer2 = 2;
constexpr uint32_t kLogItem = 6;
constexpr uint32_t kSwitchItem = 8;
constexpr uint32_t kSensorItem = 10;
constexpr uint32_t kMacroItem = 12;
constexpr uint32_t kControlFileName = 14;
constexpr uint32_t kSwitchStatus = 15;
constexpr uint32_t kSensorStatus = 16;
constexpr uint32_t kMacroStatus = 17;
constexpr uint32_t kClientQty = 21;
constexpr uint32_t kLightDark = 24;
constexpr uint32_t kPauseState = 26;
constexpr uint32_t kMuteState = 27;
constexpr uint32_t kServerTime = 29;
constexpr uint32_t kVideoSource = 31;
constexpr uint32_t kThumbnail = 33;
constexpr uint32_t kFullPicture = 35;
constexpr uint32_t kDroppedTextsAndNumberAnswer36 = 36;
constexpr uint32_t kServerMessage = 38;
constexpr uint32_t kCommandResponse = 42;
constexpr uint32_t kLaunchProgram = 43;
constexpr uint32_t kModeItem = 46;
constexpr uint32_t kModeStatus = 47;
constexpr uint32_t kEmptyAnswer52 = 52;
constexpr uint32_t kEmptyAnswer53 = 53;
constexpr uint32_t kDawnDusk = 55;

// Types whose content the client does not know: it accepts them and reads nothing of them.
constexpr uint32_t kUnreadAnswer19 = 19;
constexpr uint32_t kUnreadAnswer39 = 39;
constexpr uint32_t kUnreadAnswer40 = 40;
constexpr uint32_t kUnreadAnswer50 = 50;
constexpr uint32_t kUnreadAnswer51 = 51;

// Types no server sends the client: one arriving means the stream is not what it seems, and
// the connection ends. housesim sends 18 only when told to misbehave.
constexpr uint32_t kRefusedAnswer18 = 18;
constexpr uint32_t kRefusedAnswer54 = kGetDawnDusk;

// The highest type the client knows.
constexpr uint32_t kHighestType = 55;

// The request's name as people read it ("Set switch status"), for logs; "unknown request"
// for a type that is no request.
const char* RequestName(uint32_t type);

}  // namespace msg

}  // namespace hv

#endif  // HV_CORE_WIRE_MESSAGE_TYPES_H_
