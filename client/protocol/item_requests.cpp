#include "client/protocol/item_requests.h"

#include "client/protocol/request_sender.h"
#include "core/wire/message_types.h"

namespace hv {

Status SendGetSwitches(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetSwitches);
}
Status SendGetSensors(cRemoteClientSocket* socket) { return SendFields(socket, msg::kGetSensors); }
Status SendGetMacros(cRemoteClientSocket* socket) { return SendFields(socket, msg::kGetMacros); }
Status SendGetModes(cRemoteClientSocket* socket) { return SendFields(socket, msg::kGetModes); }

Status SendSetSwitchStatus(cRemoteClientSocket* socket, const char* name, uint32_t status,
                           uint32_t value_as_integer, uint32_t extra, double value) {
  return SendFields(socket, msg::kSetSwitchStatus, name, status, value_as_integer, extra, value);
}

Status SendSetSensorStatus(cRemoteClientSocket* socket, const char* name, uint32_t status,
                           uint32_t value_as_integer, uint32_t extra, double value) {
  return SendFields(socket, msg::kSetSensorStatus, name, status, value_as_integer, extra, value);
}

Status SendSetMacroStatus(cRemoteClientSocket* socket, const char* name, uint32_t status) {
  return SendFields(socket, msg::kSetMacroStatus, name, status);
}

Status SendSetModeStatus(cRemoteClientSocket* socket, const char* name, uint16_t state) {
  return SendFields(socket, msg::kSetModeStatus, name, state);
}

}  // namespace hv
