#include "client/views/format_trimmed_real.h"

#include "core/string/real_text.h"

namespace hv {

swString FormatTrimmedReal(double value) {
  const std::string text = hv::TrimmedRealText(value);
  return swString(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace hv
