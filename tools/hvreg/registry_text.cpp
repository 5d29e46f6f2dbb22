#include "tools/hvreg/registry_text.h"

#include <cerrno>
#include <cstdlib>

#include "core/string/hex_digit.h"
#include "core/string/plain_text.h"

namespace hv {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

std::string EscapeField(const std::string& raw) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (char c : raw) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '%') {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

bool UnescapeField(const std::string& text, std::string* raw) {
  raw->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *raw += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int byte = HexByteValue(text[i + 1], text[i + 2]);
    if (byte < 0) return false;
    *raw += static_cast<char>(byte);
    i += 2;
  }
  return true;
}

std::string ToHex(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

bool FromHex(const std::string& hex, std::string* bytes) {
  *bytes = BytesFromHex(hex);
  // Nothing back from digits that were there means they were damaged.
  return bytes->size() * 2 == hex.size();
}

bool ParseNumber(const std::string& text, uint32_t* number) {
  if (text.empty()) return false;
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(start, &end, 10);
  if (*end != '\0' || errno == ERANGE || text[0] == ' ') return false;
  if (value < 0 || value > static_cast<long long>(UINT32_MAX)) return false;
  *number = static_cast<uint32_t>(value);
  return true;
}

const char* TypeName(uint32_t type) {
  switch (type) {
    case kRegistryText: return "text";
    case kRegistryNumber: return "number";
    default: return "bytes";
  }
}

std::string ValueField(const swRegistryValue& value) {
  uint32_t number = 0;
  if (value.type == kRegistryText) return EscapeField(value.data);
  if (value.type == kRegistryNumber && value.AsNumber(&number)) return std::to_string(number);
  return ToHex(value.data);
}

hv::Status ParseExport(const std::string& text, std::vector<swRegistryTextKey>* keys) {
  keys->clear();
  int line_number = 0;
  for (std::string_view text_line : SplitLines(text)) {
    ++line_number;
    const std::string line(text_line);
    if (line.empty() || line[0] == '#') continue;

    auto fail = [&](const std::string& reason) {
      return hv::Status::Failure(hv::Where::kTool,
                                 "line " + std::to_string(line_number) + ": " + reason);
    };
    std::vector<std::string> fields = SplitTabs(line);
    if (fields[0] == "key") {
      swRegistryTextKey key;
      std::vector<std::string> parts;
      if (fields.size() != 2 || !UnescapeField(fields[1], &key.path) ||
          !SplitRegistryKey(key.path, &parts)) {
        return fail(
            "a key line is \"key<TAB>PATH\" with a path of non-empty names without NUL "
            "bytes");
      }
      keys->push_back(std::move(key));
      continue;
    }
    if (fields[0] != "text" && fields[0] != "number" && fields[0] != "bytes") {
      return fail("unknown item \"" + EscapeField(fields[0]) + "\"");
    }
    if (keys->empty()) return fail("a value before the first key line");
    if (fields.size() != 3) return fail("a value line has three fields separated by TABs");
    swRegistryValue value;
    if (!UnescapeField(fields[1], &value.name)) return fail("bad escape in the value name");
    if (value.name.find('\0') != std::string::npos) {
      return fail("a value name cannot hold a NUL byte");
    }
    if (fields[0] == "text") {
      value.type = kRegistryText;
      if (!UnescapeField(fields[2], &value.data)) return fail("bad escape in the text");
    } else if (fields[0] == "number") {
      uint32_t number = 0;
      if (!ParseNumber(fields[2], &number)) return fail("not a 32-bit number");
      value.type = kRegistryNumber;
      value.data = swRegistryValue::NumberData(number);
    } else {
      value.type = kRegistryBytes;
      if (!FromHex(fields[2], &value.data)) return fail("bytes are pairs of hex digits");
    }
    keys->back().values.push_back(std::move(value));
  }
  return hv::Status::Ok();
}

}  // namespace hv
