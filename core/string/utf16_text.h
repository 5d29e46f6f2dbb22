// Conversion of UTF-16 text (from wide platform strings and from archives written by wide
// builds) into the program's 8-bit form, UTF-8.
#ifndef HV_CORE_STRING_UTF16_TEXT_H_
#define HV_CORE_STRING_UTF16_TEXT_H_

#include <cstddef>
#include <string>

#include "core/status.h"

namespace hv {

// Converts `units` UTF-16 code units stored at `bytes` (2 bytes each, little-endian when
// `little_endian`, else big-endian) to UTF-8 in `out`. A unit that cannot be converted (a lone
// surrogate) becomes '?', and a NUL unit ends the text, so any input yields a usable string.
// Fails (kFailed, where kString) only when the system's converter cannot be opened.
[[nodiscard]] Status Utf16ToUtf8(const void* bytes, size_t units, bool little_endian,
                                 std::string* out);

}  // namespace hv

#endif  // HV_CORE_STRING_UTF16_TEXT_H_
