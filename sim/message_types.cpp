#include "sim/message_types.h"

namespace hv::sim {

const char* RequestName(uint32_t type) {
  switch (type) {
    case kGoodbye: return "Goodbye";
    case kLogin: return "Login";
    case kLogoff: return "Logoff";
    case kGetLogItems: return "Get log items";
    case kGetSwitches: return "Get switches";
    case kGetSensors: return "Get sensors";
    case kGetMacros: return "Get macros";
    case kGetControlFileName: return "Get control file name";
    case kSwitchStatus: return "Set switch status";
    case kSensorStatus: return "Set sensor status";
    case kMacroStatus: return "Set macro status";
    case kGetClientQty: return "Get client qty";
    case kUserMessage: return "User message";
    case kGetLightDark: return "Get light dark";
    case kLightDark: return "Set light dark";
    case kSendX10Code: return "Send X10 code";
    case kPauseState: return "Set pause";
    case kMuteState: return "Set mute";
    case kGetServerTime: return "Get server time";
    case kGetVideoSources: return "Get video sources";
    case kGetThumbnails: return "Get thumbnails";
    case kGetFullPicture: return "Get full picture or video";
    case kSnapPicture: return "Snap picture";
    case kSendCommandFile: return "Send command file";
    case kVideoMotion: return "Video motion";
    case kGetModes: return "Get modes";
    case kModeStatus: return "Set mode status";
    case kStartRecord: return "Start record";
    case kStopRecord: return "Stop record";
    case kGetDawnDusk: return "Get dawn dusk";
    default: return "unknown request";
  }
}

}  // namespace hv::sim
