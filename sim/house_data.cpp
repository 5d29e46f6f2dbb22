#include "sim/house_data.h"

#include <cctype>

namespace hv::sim {

bool ParseX10Address(const std::string& text, X10Address* out) {
  if (text.size() < 2 || text.size() > 3) return false;
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (letter < 'A' || letter > 'P') return false;
  int unit = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    unit = unit * 10 + (text[i] - '0');
  }
  if (unit < 1 || unit > 16) return false;
  out->house = letter - 'A';
  out->unit = unit - 1;
  return true;
}

std::string FormatX10Address(const X10Address& address) {
  if (!address.IsSet()) return {};
  return std::string(1, static_cast<char>('A' + address.house)) + std::to_string(address.unit + 1);
}

}  // namespace hv::sim
