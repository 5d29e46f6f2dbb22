// Numbers shown without needless zeros: 100.0 as 100, 21.250 as 21.25.
#ifndef HV_CLIENT_VIEWS_FORMAT_TRIMMED_REAL_H_
#define HV_CLIENT_VIEWS_FORMAT_TRIMMED_REAL_H_

#include "core/string/sw_string.h"

namespace hv {

// The value as "%f" writes it, with trailing zeros after the decimal point removed and then
// a decimal point left at the end.
swString FormatTrimmedReal(double value);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_FORMAT_TRIMMED_REAL_H_
