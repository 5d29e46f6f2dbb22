#include "client/protocol/session_requests.h"

#include <string>

#include "client/protocol/request_sender.h"
#include "core/string/wire_text.h"
#include "core/wire/message_types.h"

namespace hv {

Status SendGoodbye(cRemoteClientSocket* socket) { return SendFields(socket, msg::kGoodbye); }

Status SendLogin(cRemoteClientSocket* socket, const char* user_name, const char* password) {
  // Typed by the user: a Windows server compares them in its own code page.
  const std::string wire_user = TextToWire(user_name != nullptr ? user_name : "");
  const std::string wire_password = TextToWire(password != nullptr ? password : "");
  return SendFields(socket, msg::kLogin, wire_user.c_str(), wire_password.c_str());
}

Status SendLogoff(cRemoteClientSocket* socket) { return SendFields(socket, msg::kLogoff); }

Status SendGetLogItems(cRemoteClientSocket* socket, uint32_t max_entries) {
  Status status = SendFields(socket, msg::kGetLogItems, max_entries);
  if (status.ok()) socket->SetLogFeedOn(1);
  return status;
}

}  // namespace hv
