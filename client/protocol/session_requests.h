// Requests of the session itself. Each returns ok or the first failure; kMissingArgument
// without a socket.
#ifndef HV_CLIENT_PROTOCOL_SESSION_REQUESTS_H_
#define HV_CLIENT_PROTOCOL_SESSION_REQUESTS_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cRemoteClientSocket;

// Goodbye (type 1), no payload.
[[nodiscard]] Status SendGoodbye(cRemoteClientSocket* socket);
// Login (type 3): user name, password (plain text); null reads as empty. Both are text the
// user typed, in the program's UTF-8: they go out in the server's code page (TextToWire).
[[nodiscard]] Status SendLogin(cRemoteClientSocket* socket, const char* user_name,
                               const char* password);
// Logoff (type 4), no payload.
[[nodiscard]] Status SendLogoff(cRemoteClientSocket* socket);
// Get log items (type 5): the most entries wanted. Once sent, the socket takes Log items.
[[nodiscard]] Status SendGetLogItems(cRemoteClientSocket* socket, uint32_t max_entries);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SESSION_REQUESTS_H_
