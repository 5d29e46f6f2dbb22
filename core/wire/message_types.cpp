#include "core/wire/message_types.h"

namespace hv {

namespace msg {

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
    case kSetSwitchStatus: return "Set switch status";
    case kSetSensorStatus: return "Set sensor status";
    case kSetMacroStatus: return "Set macro status";
    case kGetClientQty: return "Get client qty";
    case kUserMessage: return "User message";
    case kGetLightDark: return "Get light dark";
    case kSetLightDark: return "Set light dark";
    case kSendX10Code: return "Send X10 code";
    case kSetPause: return "Set pause";
    case kSetMute: return "Set mute";
    case kGetServerTime: return "Get server time";
    case kGetVideoSources: return "Get video sources";
    case kGetThumbnails: return "Get thumbnails";
    case kGetFullPicture: return "Get full picture or video";
    case kSnapPicture: return "Snap picture";
    case kSendCommandFile: return "Send command file";
    case kVideoMotion: return "Video motion";
    case kGetModes: return "Get modes";
    case kSetModeStatus: return "Set mode status";
    case kStartRecord: return "Start record";
    case kStopRecord: return "Stop record";
    case kGetDawnDusk: return "Get dawn dusk";
    default: return "unknown request";
  }
}

}  // namespace msg

}  // namespace hv
