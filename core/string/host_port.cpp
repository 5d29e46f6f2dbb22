#include "core/string/host_port.h"

#include <charconv>

namespace hv {

bool ParseHostPort(std::string_view text, uint16_t min_port, std::string* host, uint16_t* port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  std::string_view name = text.substr(0, colon);
  if (name.front() == '[') {
    if (name.size() < 3 || name.back() != ']') return false;
    name = name.substr(1, name.size() - 2);
  } else if (name.find(':') != std::string_view::npos) {
    return false;
  }
  const std::string_view digits = text.substr(colon + 1);
  unsigned number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return false;
  if (number < min_port || number > 65535) return false;
  *host = std::string(name);
  *port = static_cast<uint16_t>(number);
  return true;
}

}  // namespace hv
