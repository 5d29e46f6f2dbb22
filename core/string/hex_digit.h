// The value of one hexadecimal digit, shared by everything that reads hex text (GUIDs, escaped
// registry values).
#ifndef HV_CORE_STRING_HEX_DIGIT_H_
#define HV_CORE_STRING_HEX_DIGIT_H_

// 0 to 15 for '0'-'9', 'a'-'f' and 'A'-'F'; -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

#endif  // HV_CORE_STRING_HEX_DIGIT_H_
