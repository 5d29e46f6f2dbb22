#include "client/update/version_file.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/string/hex_digit.h"

namespace hv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimEnd(std::string text) {
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.pop_back();
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// 64 hexadecimal digits as 32 bytes; empty for anything else.
std::string HashFromHex(const std::string& hex) {
  return hex.size() == 64 ? BytesFromHex(hex) : std::string();
}

// Bare line feeds get the carriage return a CR LF text needs.
swString NotesWithCrLf(const std::string& notes) {
  std::string out;
  out.reserve(notes.size() + notes.size() / 16);
  for (size_t i = 0; i < notes.size(); ++i) {
    if (notes[i] == '\n' && (i == 0 || notes[i - 1] != '\r')) out.push_back('\r');
    out.push_back(notes[i]);
  }
  return swString(out.c_str(), static_cast<uint32_t>(out.size()));
}

int32_t BuildNumber(const std::string& value) {
  const long number = std::strtol(value.c_str(), nullptr, 10);
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(number);
}

}  // namespace

void ParseVersionFile(const std::string& content, cVersionInfo* info) {
  size_t pos = 0;
  const size_t prefix_length = std::strlen(kHashKeyPrefix);
  while (pos < content.size()) {
    // Leading white space and blank lines are skipped.
    while (pos < content.size() &&
           (IsBlank(content[pos]) || content[pos] == '\r' || content[pos] == '\n')) {
      ++pos;
    }
    if (pos >= content.size()) break;
    size_t line_end = content.find('\n', pos);
    if (line_end == std::string::npos) line_end = content.size();
    const std::string line = content.substr(pos, line_end - pos);
    pos = line_end < content.size() ? line_end + 1 : line_end;

    const size_t equals = line.find('=');
    const std::string raw_key = TrimEnd(line.substr(0, equals));
    const std::string key = Upper(raw_key);
    std::string value;
    if (equals != std::string::npos) {
      size_t start = equals + 1;
      while (start < line.size() && (IsBlank(line[start]) || line[start] == '=')) ++start;
      value = TrimEnd(line.substr(start));
    }

    if (key == "RELEASE NOTES:") {
      info->notes = NotesWithCrLf(content.substr(pos));
      return;
    }
    if (key == "PROGRAM VERSION") {
      info->version = value.c_str();
    } else if (key == "PROGRAM BUILD") {
      info->build = BuildNumber(value);
    } else if (key == "DATE AVAILABLE") {
      info->date = value.c_str();
    } else if (key.compare(0, prefix_length, kHashKeyPrefix) == 0) {
      // The item's path keeps its case: paths on the site are case-sensitive.
      const std::string path = raw_key.substr(prefix_length);
      const std::string hash = HashFromHex(value);
      if (!path.empty() && !hash.empty()) info->hashes[path] = hash;
    }
  }
}

}  // namespace hv
