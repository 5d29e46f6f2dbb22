// Requests about switches, sensors, macros and modes. Each returns ok or the first failure;
// kMissingArgument without a socket (or with a null name).
#ifndef HV_CLIENT_PROTOCOL_ITEM_REQUESTS_H_
#define HV_CLIENT_PROTOCOL_ITEM_REQUESTS_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cRemoteClientSocket;

// Get switches (7), Get sensors (9), Get macros (11), Get modes (45): no payload.
[[nodiscard]] Status SendGetSwitches(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetSensors(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetMacros(cRemoteClientSocket* socket);
[[nodiscard]] Status SendGetModes(cRemoteClientSocket* socket);

// Set switch status (15) and Set sensor status (16): name, requested status (an X10
// function code: 2 On, 3 Off), value as integer, extra, value.
[[nodiscard]] Status SendSetSwitchStatus(cRemoteClientSocket* socket, const char* name,
                                         uint32_t status, uint32_t value_as_integer, uint32_t extra,
                                         double value);
[[nodiscard]] Status SendSetSensorStatus(cRemoteClientSocket* socket, const char* name,
                                         uint32_t status, uint32_t value_as_integer, uint32_t extra,
                                         double value);
// Set macro status (17): name, requested state (2 monitoring = stop, 3 in progress = start).
[[nodiscard]] Status SendSetMacroStatus(cRemoteClientSocket* socket, const char* name,
                                        uint32_t status);
// Set mode status (47): name, requested state (u16: 1 active, 0 inactive).
[[nodiscard]] Status SendSetModeStatus(cRemoteClientSocket* socket, const char* name,
                                       uint16_t state);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ITEM_REQUESTS_H_
