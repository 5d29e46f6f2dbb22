// The "C" locale as a handle, for the *_l functions of the C library. The desktop toolkit
// adopts the user's locale for the whole process, but the system's own texts (numbers with
// a point, AM/PM clocks) must read and parse the same on every desktop.
#ifndef HV_CORE_STRING_CLASSIC_LOCALE_H_
#define HV_CORE_STRING_CLASSIC_LOCALE_H_

#include <locale.h>

namespace hv {

// Made on first use and kept for the life of the process; safe to call from any thread.
locale_t ClassicLocale();

}  // namespace hv

#endif  // HV_CORE_STRING_CLASSIC_LOCALE_H_
