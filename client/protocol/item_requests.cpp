#include "client/protocol/item_requests.h"

#include "client/protocol/request_sender.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

int32_t SendSetStatus(cRemoteClientSocket* socket, uint32_t type, const char* name, uint32_t status,
                      uint32_t value_as_integer, uint32_t extra, double value) {
  return SendRequest(socket, type, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(name);
    if (rc >= 0) rc = c.AppendU32(status);
    if (rc >= 0) rc = c.AppendU32(value_as_integer);
    if (rc >= 0) rc = c.AppendU32(extra);
    if (rc >= 0) rc = c.AppendF64(value);
    return rc;
  });
}

}  // namespace

int32_t SendGetSwitches(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetSwitches);
}
int32_t SendGetSensors(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetSensors);
}
int32_t SendGetMacros(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetMacros);
}
int32_t SendGetModes(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetModes);
}

int32_t SendSetSwitchStatus(cRemoteClientSocket* socket, const char* name, uint32_t status,
                            uint32_t value_as_integer, uint32_t extra, double value) {
  return SendSetStatus(socket, msg::kSetSwitchStatus, name, status, value_as_integer, extra, value);
}

int32_t SendSetSensorStatus(cRemoteClientSocket* socket, const char* name, uint32_t status,
                            uint32_t value_as_integer, uint32_t extra, double value) {
  return SendSetStatus(socket, msg::kSetSensorStatus, name, status, value_as_integer, extra, value);
}

int32_t SendSetMacroStatus(cRemoteClientSocket* socket, const char* name, uint32_t status) {
  return SendRequest(socket, msg::kSetMacroStatus, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(name);
    return rc < 0 ? rc : c.AppendU32(status);
  });
}

int32_t SendSetModeStatus(cRemoteClientSocket* socket, const char* name, uint16_t state) {
  return SendRequest(socket, msg::kSetModeStatus, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(name);
    return rc < 0 ? rc : c.AppendU16(state);
  });
}

}  // namespace hv
