#include "client/protocol/server_requests.h"

#include <string>

#include "client/protocol/request_sender.h"
#include "core/string/wire_text.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

int32_t SendU16Request(cRemoteClientSocket* socket, uint32_t type, uint16_t value) {
  return SendRequest(socket, type, [&](cSocketMessageChannel& c) { return c.AppendU16(value); });
}

}  // namespace

int32_t SendGetControlFileName(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetControlFileName);
}
int32_t SendGetClientQty(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetClientQty);
}
int32_t SendGetLightDark(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetLightDark);
}
int32_t SendGetServerTime(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetServerTime);
}
int32_t SendGetDawnDusk(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetDawnDusk);
}

int32_t SendUserMessage(cRemoteClientSocket* socket, const char* text) {
  if (text == nullptr) return hv::kMissingArgument;
  const std::string wire = TextToWire(text);
  return SendRequest(socket, msg::kUserMessage,
                     [&](cSocketMessageChannel& c) { return c.AppendString(wire.c_str()); });
}

int32_t SendSetLightDark(cRemoteClientSocket* socket, uint16_t dark) {
  return SendU16Request(socket, msg::kSetLightDark, dark);
}

int32_t SendX10Code(cRemoteClientSocket* socket, uint32_t house_code, uint32_t unit_code,
                    uint32_t function, uint32_t dim_value) {
  return SendRequest(socket, msg::kSendX10Code, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendU32(house_code);
    if (rc >= 0) rc = c.AppendU32(unit_code);
    if (rc >= 0) rc = c.AppendU32(function);
    if (rc >= 0) rc = c.AppendU32(dim_value);
    return rc;
  });
}

int32_t SendSetPause(cRemoteClientSocket* socket, uint16_t paused) {
  return SendU16Request(socket, msg::kSetPause, paused);
}

int32_t SendSetMute(cRemoteClientSocket* socket, uint16_t muted) {
  return SendU16Request(socket, msg::kSetMute, muted);
}

}  // namespace hv
