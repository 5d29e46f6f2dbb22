#include "client/views/devices/item_view_requests.h"

#include "client/protocol/item_requests.h"
#include "client/protocol/server_connection.h"

namespace hv {

bool cConnectionItemViewRequests::IsConnected() const { return connection_.IsConnected(); }

int32_t cConnectionItemViewRequests::GetSwitches() { return SendGetSwitches(connection_.Socket()); }

int32_t cConnectionItemViewRequests::GetSensors() { return SendGetSensors(connection_.Socket()); }

int32_t cConnectionItemViewRequests::GetMacros() { return SendGetMacros(connection_.Socket()); }

int32_t cConnectionItemViewRequests::GetModes() { return SendGetModes(connection_.Socket()); }

// The value, its integer form and the extra field are always 0: the server reads the
// requested state from the status alone.
int32_t cConnectionItemViewRequests::SetSwitchStatus(const swString& name, uint32_t status) {
  return SendSetSwitchStatus(connection_.Socket(), name.CStr(), status, 0, 0, 0.0);
}

int32_t cConnectionItemViewRequests::SetSensorStatus(const swString& name, uint32_t status) {
  return SendSetSensorStatus(connection_.Socket(), name.CStr(), status, 0, 0, 0.0);
}

int32_t cConnectionItemViewRequests::SetMacroStatus(const swString& name, uint32_t status) {
  return SendSetMacroStatus(connection_.Socket(), name.CStr(), status);
}

int32_t cConnectionItemViewRequests::SetModeStatus(const swString& name, uint16_t state) {
  return SendSetModeStatus(connection_.Socket(), name.CStr(), state);
}

}  // namespace hv
