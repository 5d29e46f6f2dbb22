// The message types of the wire, as the server sees them: requests it receives and answers it
// sends. Several numbers are both (a Set switch status request and a Switch status answer are
// both type 15).
#ifndef HV_SIM_MESSAGE_TYPES_H_
#define HV_SIM_MESSAGE_TYPES_H_

#include <cstdint>

namespace hv::sim {

enum MessageType : uint32_t {
  kGoodbye = 1,
  kLogin = 3,
  kLogoff = 4,
  kGetLogItems = 5,
  kLogItem = 6,
  kGetSwitches = 7,
  kSwitchItem = 8,
  kGetSensors = 9,
  kSensorItem = 10,
  kGetMacros = 11,
  kMacroItem = 12,
  kGetControlFileName = 13,
  kControlFileName = 14,
  kSwitchStatus = 15,
  kSensorStatus = 16,
  kMacroStatus = 17,
  kUnknownToClients = 18,  // no client knows it: sent only as a fault
  kGetClientQty = 20,
  kClientQty = 21,
  kUserMessage = 22,
  kGetLightDark = 23,
  kLightDark = 24,
  kSendX10Code = 25,
  kPauseState = 26,
  kMuteState = 27,
  kGetServerTime = 28,
  kServerTime = 29,
  kGetVideoSources = 30,
  kVideoSource = 31,
  kGetThumbnails = 32,
  kThumbnail = 33,
  kGetFullPicture = 34,
  kFullPicture = 35,
  kSnapPicture = 37,
  kServerMessage = 38,
  kSendCommandFile = 41,
  kCommandResponse = 42,
  kLaunchProgram = 43,
  kVideoMotion = 44,
  kGetModes = 45,
  kModeItem = 46,
  kModeStatus = 47,
  kStartRecord = 48,
  kStopRecord = 49,
  kGetDawnDusk = 54,
  kDawnDusk = 55,
};

// The request's name for the request log ("Set switch status"); "type N" for unknown ones.
const char* RequestName(uint32_t type);

}  // namespace hv::sim

#endif  // HV_SIM_MESSAGE_TYPES_H_
