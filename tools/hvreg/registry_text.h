// The text form of registry keys and values that hvreg prints, exports and imports.
//
// Export format, one item per line, fields separated by one TAB:
//   # hvreg export 1            a comment (lines starting with '#' and empty lines are ignored)
//   key   PATH                  a key; the value lines after it belong to it
//   text  NAME  TEXT            a text value
//   number NAME DECIMAL         a 32-bit number, 0 to 4294967295
//   bytes NAME  HEX             any bytes, two lowercase hex digits each (empty for none)
// PATH, NAME and TEXT are escaped: '%', TAB, line breaks and every byte below 0x20, 0x7F or
// above 0x7F are written as '%' and two uppercase hex digits, so any bytes round-trip and the
// file stays one item per line.
#ifndef HV_TOOLS_HVREG_REGISTRY_TEXT_H_
#define HV_TOOLS_HVREG_REGISTRY_TEXT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/profile/registry_store.h"
#include "core/status.h"

namespace hv {

std::string EscapeField(const std::string& raw);
// False when the text has a '%' not followed by two hex digits.
bool UnescapeField(const std::string& text, std::string* raw);

std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string* bytes);
// A decimal number from 0 to 4294967295. False for anything else, negative numbers too:
// stored as their two's complement they would read back as another number.
bool ParseNumber(const std::string& text, uint32_t* number);

const char* TypeName(uint32_t type);
// The value's data in the export format's third field (escaped text, decimal, hex).
std::string ValueField(const swRegistryValue& value);

// One key with its values, as an export holds it.
struct swRegistryTextKey {
  std::string path;
  std::vector<swRegistryValue> values;
};

// Parses an export. A failure's message gives the line number and the reason, for the first
// bad line.
[[nodiscard]] hv::Status ParseExport(const std::string& text, std::vector<swRegistryTextKey>* keys);

}  // namespace hv

#endif  // HV_TOOLS_HVREG_REGISTRY_TEXT_H_
