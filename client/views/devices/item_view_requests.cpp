#include "client/views/devices/item_view_requests.h"

#include "client/protocol/item_requests.h"
#include "client/protocol/server_connection.h"

namespace hv {

bool cConnectionItemViewRequests::IsConnected() const { return connection_.IsConnected(); }

Status cConnectionItemViewRequests::GetSwitches() { return SendGetSwitches(connection_.Socket()); }

Status cConnectionItemViewRequests::GetSensors() { return SendGetSensors(connection_.Socket()); }

Status cConnectionItemViewRequests::GetMacros() { return SendGetMacros(connection_.Socket()); }

Status cConnectionItemViewRequests::GetModes() { return SendGetModes(connection_.Socket()); }

// The value, its integer form and the extra field are always 0: the server reads the
// requested state from the status alone.
Status cConnectionItemViewRequests::SetSwitchStatus(const swString& name, uint32_t status) {
  return SendSetSwitchStatus(connection_.Socket(), name.CStr(), status, 0, 0, 0.0);
}

Status cConnectionItemViewRequests::SetSensorStatus(const swString& name, uint32_t status) {
  return SendSetSensorStatus(connection_.Socket(), name.CStr(), status, 0, 0, 0.0);
}

Status cConnectionItemViewRequests::SetMacroStatus(const swString& name, uint32_t status) {
  return SendSetMacroStatus(connection_.Socket(), name.CStr(), status);
}

Status cConnectionItemViewRequests::SetModeStatus(const swString& name, uint16_t state) {
  return SendSetModeStatus(connection_.Socket(), name.CStr(), state);
}

}  // namespace hv
