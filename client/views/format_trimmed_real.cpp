#include "client/views/format_trimmed_real.h"

#include <cstring>

namespace hv {

swString FormatTrimmedReal(double value) {
  swString text;
  if (text.Format("%f", value) != 0) return text;
  const char* begin = text.CStr();
  if (std::strchr(begin, '.') == nullptr) return text;  // "inf", "nan"
  uint32_t length = text.GetLength();
  while (length > 0 && begin[length - 1] == '0') --length;
  if (length > 0 && begin[length - 1] == '.') --length;
  return text.Left(length);
}

}  // namespace hv
