#include "core/string/classic_locale.h"

namespace hv {

locale_t ClassicLocale() {
  // "C" is built into the C library, so making it cannot fail for want of locale files.
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return classic;
}

}  // namespace hv
