// Hexadecimal text, shared by everything that reads it (GUIDs, escaped registry values, the
// update site's hashes and key).
#ifndef HV_CORE_STRING_HEX_DIGIT_H_
#define HV_CORE_STRING_HEX_DIGIT_H_

#include <string>
#include <string_view>

namespace hv {

// 0 to 15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte two digits spell, high digit first (0 to 255); -1 when either is not a digit.
constexpr int HexByteValue(char high, char low) {
  const int high_value = HexDigitValue(high);
  const int low_value = HexDigitValue(low);
  return high_value < 0 || low_value < 0 ? -1 : high_value * 16 + low_value;
}

// The bytes a run of digit pairs spells; empty for an odd count or any character that is not
// a digit, so a damaged text never yields part of a value.
inline std::string BytesFromHex(std::string_view hex) {
  std::string bytes;
  if (hex.size() % 2 != 0) return bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int value = HexByteValue(hex[i], hex[i + 1]);
    if (value < 0) return std::string();
    bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

}  // namespace hv

#endif  // HV_CORE_STRING_HEX_DIGIT_H_
