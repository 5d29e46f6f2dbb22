// Requests about the server as a whole: its facts, its clock, its global switches, the
// user's log message and raw X10 codes. Each returns ok or the first failure;
// kMissingArgument without a socket.
#ifndef HV_CLIENT_PROTOCOL_SERVER_REQUESTS_H_
#define HV_CLIENT_PROTOCOL_SERVER_REQUESTS_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cRemoteClientSocket;

// No payload: Get control file name (13), Get client qty (20), Get light dark (23),
// Get server time (28), Get dawn dusk (54).
[[nodiscard]] Status SendGetControlFileName(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetClientQty(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetLightDark(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetServerTime(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetDawnDusk(cRemoteClientSocket* socket);

// User message (22): the text for the server's log, as the user typed it (the program's
// UTF-8); it goes out in the server's code page (TextToWire).
[[nodiscard]] Status SendUserMessage(cRemoteClientSocket* socket, const char* text);
// Set light dark (24): 1 dark (night), 0 light (day).
[[nodiscard]] Status SendSetLightDark(cRemoteClientSocket* socket, uint16_t dark);
// Send X10 code (25): house code (letter - 'A'), unit code, function, dim value.
[[nodiscard]] Status SendX10Code(cRemoteClientSocket* socket, uint32_t house_code,
                                 uint32_t unit_code, uint32_t function, uint32_t dim_value);
// Set pause (26): 1 pauses all macro activity, 0 resumes.
[[nodiscard]] Status SendSetPause(cRemoteClientSocket* socket, uint16_t paused);
// Set mute (27): 1 muted.
[[nodiscard]] Status SendSetMute(cRemoteClientSocket* socket, uint16_t muted);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SERVER_REQUESTS_H_
