// How a request that could not be sent is reported: an Error entry named "Connection is
// lost" with the request's own message, shown in the activity log views and not kept.
// Without a socket nothing is sent and nothing is reported: callers skip their requests
// while not connected.
#ifndef HV_CLIENT_PROTOCOL_REQUEST_FAILURES_H_
#define HV_CLIENT_PROTOCOL_REQUEST_FAILURES_H_

#include <cstdint>
#include <functional>

#include "core/status.h"

namespace hv {

class cActivityLog;
class cRemoteClientSocket;
class cServerConnection;

namespace failure {
constexpr const char* kGetLogItems = "Get log items command not sent successfully";
constexpr const char* kGetSwitches = "Set switches command not sent successfully";
constexpr const char* kGetSensors = "Get sensors command not sent successfully";
constexpr const char* kGetMacros = "Get macros command not sent successfully";
constexpr const char* kGetModes = "Get modes command not sent successfully";
// Get control file name has one text after a reconnect and another when the window opens.
constexpr const char* kGetControlFileNameReconnect =
    "Get control filename command not sent successfully";
constexpr const char* kGetControlFileName = "Get control file name command not sent successfully";
constexpr const char* kSetSwitchStatus = "Set switch status not sent successfully";
constexpr const char* kSetSensorStatus = "Set sensor status not sent successfully";
constexpr const char* kSetMacroStatus = "Set macro status command not sent successfully";
constexpr const char* kSetModeStatus = "Set mode status command not sent successfully";
constexpr const char* kGetClientQty = "Get client qty command not sent successfully";
constexpr const char* kGetLightDark = "Get light dark command not sent successfully";
constexpr const char* kSetLightDark = "Light/Dark command not sent successfully";
constexpr const char* kSetPause = "Pause status command not sent successfully";
constexpr const char* kSetMute = "Mute status command not sent successfully";
constexpr const char* kGetServerTime = "Get server time command not sent successfully";
constexpr const char* kGetVideoSources = "Get video sources command not sent successfully";
constexpr const char* kGetThumbnails = "Get thumbnails command not sent successfully";
constexpr const char* kGetFullPicture = "Get full picture or video command not sent successfully";
constexpr const char* kSnapPicture = "Snap picture command not sent successfully";
constexpr const char* kStartStopRecord = "Start/stop record command not sent successfully";
constexpr const char* kGetDawnDusk = "Get dawn / dusk time command not sent successfully";
}  // namespace failure

// The message for a Video motion request with this motion code (0-15), e.g.
// "Video motion pan left command not sent successfully".
const char* VideoMotionFailureMessage(uint32_t motion_code);

// Shows the "Connection is lost" Error entry with `message`. Nothing without a log.
void ReportRequestFailure(cActivityLog* log, const char* message);
// A User message that could not be sent: entry type 13 named "User Message".
void ReportUserMessageFailure(cActivityLog* log);
// A Send X10 code that could not be sent: an Error entry that is also kept, with the X10
// address text as its path, the function as its function code and the dim value as value.
void ReportX10CodeFailure(cActivityLog* log, const char* address_text, int32_t function,
                          uint32_t dim_value);

// Why a caller may let go of a failure that SendReportingFailure has reported (Ignore).
constexpr const char* kSendFailureReported =
    "a request that could not be sent has been shown as an activity entry";

// Sends with the connection's socket and reports a failure with `failure_message`.
// Without a socket: kNotConnected, nothing sent, nothing reported. A failure is reported
// here, so the status is the caller's to use or to drop.
[[nodiscard]] Status SendReportingFailure(cServerConnection& connection, cActivityLog* log,
                                          const char* failure_message,
                                          const std::function<Status(cRemoteClientSocket*)>& send);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_REQUEST_FAILURES_H_
