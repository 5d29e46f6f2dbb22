// Real numbers as the system writes and reads them: always with a decimal point, whatever
// locale the process runs under.
#ifndef HV_CORE_STRING_REAL_TEXT_H_
#define HV_CORE_STRING_REAL_TEXT_H_

#include <string>
#include <string_view>

namespace hv {

// The value as printf's "%.<decimals>f" writes it in the "C" locale ("21.500000" for 6).
std::string FixedRealText(double value, int decimals);

// The value as "%f" writes it with trailing zeros after the point removed, and then a point
// left at the end: 100.0 as "100", 21.250 as "21.25".
std::string TrimmedRealText(double value);

// Reads the whole of text as strtod does in the "C" locale (leading blanks, sign, exponent,
// "inf"); false, and value untouched, when the text is empty or anything is left over.
bool ParseRealText(std::string_view text, double* value);

}  // namespace hv

#endif  // HV_CORE_STRING_REAL_TEXT_H_
