// The address text of an X10 device ("A:1", "P:16", "C" for all units of house C), as the
// send X10 code dialog and the activity entries about X10 codes show it.
#ifndef HV_CLIENT_VIEWS_DIALOGS_FORMAT_X10_ADDRESS_H_
#define HV_CLIENT_VIEWS_DIALOGS_FORMAT_X10_ADDRESS_H_

#include <cstdint>

#include "core/string/sw_string.h"

namespace hv {

// The unit code that stands for every unit of a house.
constexpr uint32_t kX10AllUnits = 255;

// house: 0 for "A" .. 15 for "P" (20 and above are the server's security houses, "S" and a
// letter); unit: 0 for unit 1 .. 15 for unit 16, 20 and above security units ("S1"...),
// kX10AllUnits for the house alone.
swString FormatX10Address(uint32_t house, uint32_t unit);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DIALOGS_FORMAT_X10_ADDRESS_H_
