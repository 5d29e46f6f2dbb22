#include "core/string/plain_text.h"

#include <algorithm>
#include <cstdio>

namespace hv {

std::string Trim(std::string_view text, std::string_view strip) {
  const size_t first = text.find_first_not_of(strip);
  if (first == std::string_view::npos) return std::string();
  const size_t last = text.find_last_not_of(strip);
  return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

std::string Quoted(std::string_view text, size_t max_chars) {
  std::string out = "\"";
  for (char c : text.substr(0, max_chars)) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + (text.size() > max_chars ? "...\"" : "\"");
}

}  // namespace hv
