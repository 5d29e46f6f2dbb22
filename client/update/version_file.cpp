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

uint32_t Seconds(const std::string& value) {
  const unsigned long long seconds = std::strtoull(value.c_str(), nullptr, 10);
  return seconds > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(seconds);
}

// "<size> <sha256 hex> <platform>"; false unless all three are there and well formed.
bool ParseManifestEntry(const std::string& value, cManifestEntry* entry) {
  const size_t first = value.find(' ');
  const size_t second = first == std::string::npos ? first : value.find(' ', first + 1);
  if (second == std::string::npos || first == 0) return false;
  const std::string size = value.substr(0, first);
  if (size.size() > 19 || size.find_first_not_of("0123456789") != std::string::npos) return false;
  entry->size = std::strtoull(size.c_str(), nullptr, 10);
  entry->sha256 = HashFromHex(value.substr(first + 1, second - first - 1));
  entry->platform = value.substr(second + 1);
  return !entry->sha256.empty() && !entry->platform.empty() &&
         entry->platform.find(' ') == std::string::npos;
}

int32_t BuildNumber(const std::string& value) {
  const long number = std::strtol(value.c_str(), nullptr, 10);
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(number);
}

}  // namespace

const char* ThisPlatform() {
#if defined(__x86_64__)
  return "linux-x86_64";
#elif defined(__aarch64__)
  return "linux-aarch64";
#elif defined(__i386__)
  return "linux-i686";
#elif defined(__arm__)
  return "linux-armhf";
#elif defined(__riscv) && __riscv_xlen == 64
  return "linux-riscv64";
#elif defined(__powerpc64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return "linux-ppc64le";
#elif defined(__s390x__)
  return "linux-s390x";
#else
  return "linux-unknown";
#endif
}

void ParseVersionFile(const std::string& content, cVersionInfo* info) {
  size_t pos = 0;
  const size_t prefix_length = std::strlen(kFileKeyPrefix);
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
    } else if (key == "CHANNEL") {
      info->channel = value;
    } else if (key == "PUBLISHED") {
      info->published = Seconds(value);
    } else if (key == "EXPIRES") {
      info->expires = Seconds(value);
    } else if (key.compare(0, prefix_length, kFileKeyPrefix) == 0) {
      // The item's path keeps its case: paths on the site are case-sensitive.
      const std::string path = raw_key.substr(prefix_length);
      cManifestEntry entry;
      if (!path.empty() && ParseManifestEntry(value, &entry)) info->files[path] = entry;
    }
  }
}

}  // namespace hv
