#include "client/protocol/session_requests.h"

#include <string>

#include "client/protocol/request_sender.h"
#include "core/string/wire_text.h"
#include "core/wire/message_types.h"

namespace hv {

int32_t SendGoodbye(cRemoteClientSocket* socket) { return SendEmptyRequest(socket, msg::kGoodbye); }

int32_t SendLogin(cRemoteClientSocket* socket, const char* user_name, const char* password) {
  // Typed by the user: a Windows server compares them in its own code page.
  const std::string wire_user = TextToWire(user_name != nullptr ? user_name : "");
  const std::string wire_password = TextToWire(password != nullptr ? password : "");
  return SendRequest(socket, msg::kLogin, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(wire_user.c_str());
    return rc < 0 ? rc : c.AppendString(wire_password.c_str());
  });
}

int32_t SendLogoff(cRemoteClientSocket* socket) { return SendEmptyRequest(socket, msg::kLogoff); }

int32_t SendGetLogItems(cRemoteClientSocket* socket, uint32_t max_entries) {
  int32_t rc = SendRequest(socket, msg::kGetLogItems,
                           [&](cSocketMessageChannel& c) { return c.AppendU32(max_entries); });
  if (rc >= 0) socket->SetLogFeedOn(1);
  return rc;
}

}  // namespace hv
