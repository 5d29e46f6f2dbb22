// The names of macro states, as the macros view shows them.
#ifndef HV_CLIENT_VIEWS_DEVICES_MACRO_STATUS_NAME_H_
#define HV_CLIENT_VIEWS_DEVICES_MACRO_STATUS_NAME_H_

#include <cstdint>

namespace hv {

// 1 "Disabled", 2 "Monitoring", 3 "In Progress"; any other code "Unknown type".
// Never null; the text is static.
const char* MacroStatusName(int32_t code);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_MACRO_STATUS_NAME_H_
