#include "client/protocol/server_requests.h"

#include <string>

#include "client/protocol/request_sender.h"
#include "core/string/wire_text.h"
#include "core/wire/message_types.h"

namespace hv {

Status SendGetControlFileName(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetControlFileName);
}
Status SendGetClientQty(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetClientQty);
}
Status SendGetLightDark(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetLightDark);
}
Status SendGetServerTime(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetServerTime);
}
Status SendGetDawnDusk(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetDawnDusk);
}

Status SendUserMessage(cRemoteClientSocket* socket, const char* text) {
  if (text == nullptr) return Status(Where::kProtocol, hv::kMissingArgument);
  const std::string wire = TextToWire(text);
  return SendFields(socket, msg::kUserMessage, wire.c_str());
}

Status SendSetLightDark(cRemoteClientSocket* socket, uint16_t dark) {
  return SendFields(socket, msg::kSetLightDark, dark);
}

Status SendX10Code(cRemoteClientSocket* socket, uint32_t house_code, uint32_t unit_code,
                   uint32_t function, uint32_t dim_value) {
  return SendFields(socket, msg::kSendX10Code, house_code, unit_code, function, dim_value);
}

Status SendSetPause(cRemoteClientSocket* socket, uint16_t paused) {
  return SendFields(socket, msg::kSetPause, paused);
}

Status SendSetMute(cRemoteClientSocket* socket, uint16_t muted) {
  return SendFields(socket, msg::kSetMute, muted);
}

}  // namespace hv
