#include "core/string/real_text.h"

#include <charconv>
#include <cstdlib>

#include "core/string/classic_locale.h"

namespace hv {

std::string FixedRealText(double value, int decimals) {
  // "%f" of the largest double takes some 320 characters, plus the decimals asked for.
  char text[400];
  if (decimals < 0) decimals = 0;
  if (decimals > 60) decimals = 60;
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return std::string();
  return std::string(text, end);
}

std::string TrimmedRealText(double value) {
  std::string text = FixedRealText(value, 6);
  if (text.find('.') == std::string::npos) return text;  // "inf", "nan"
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

bool ParseRealText(std::string_view text, double* value) {
  if (text.empty()) return false;
  const std::string copy(text);  // strtod needs the terminating zero
  char* end = nullptr;
  const double parsed = strtod_l(copy.c_str(), &end, ClassicLocale());
  if (end == copy.c_str() || end != copy.c_str() + copy.size()) return false;
  *value = parsed;
  return true;
}

}  // namespace hv
