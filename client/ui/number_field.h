// Whole numbers read from edits, with the range check and message every dialog shows alike.
#ifndef HV_CLIENT_UI_NUMBER_FIELD_H_
#define HV_CLIENT_UI_NUMBER_FIELD_H_

#include <cstdint>

#include "core/string/sw_string.h"

namespace hv {

class cMessageBox;
class cWindow;

// Parses text as a whole decimal number (optional sign, spaces around allowed) within
// [minimum, maximum]. False for anything else, `value` then unchanged.
bool ParseNumberInRange(const char* text, int32_t minimum, int32_t maximum, int32_t* value);

// The message shown when a number field holds something else.
swString NumberRangeMessage(int32_t minimum, int32_t maximum);

// Reads the edit `id` of the window. When it does not hold a number in range, shows the
// range message (warning), puts the focus back on the edit and returns false.
bool ReadNumberField(cWindow& window, int32_t id, int32_t minimum, int32_t maximum,
                     cMessageBox& message_box, int32_t* value);

}  // namespace hv

#endif  // HV_CLIENT_UI_NUMBER_FIELD_H_
