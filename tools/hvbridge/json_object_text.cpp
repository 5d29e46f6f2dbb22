#include "tools/hvbridge/json_object_text.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace hv::bridge {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and code points past U+10FFFF included).
size_t ValidSequence(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

void AppendJsonString(std::string_view value, std::string* out) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < value.size();) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c >= 0x80) {
      const size_t length = ValidSequence(value, i);
      if (length == 0) {
        out->append(kReplacement);
        ++i;
      } else {
        out->append(value.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"': out->append("\\\""); break;
      case '\\': out->append("\\\\"); break;
      case '\b': out->append("\\b"); break;
      case '\f': out->append("\\f"); break;
      case '\n': out->append("\\n"); break;
      case '\r': out->append("\\r"); break;
      case '\t': out->append("\\t"); break;
      default:
        if (c < 0x20) {
          out->append("\\u00");
          out->push_back(kHex[c >> 4]);
          out->push_back(kHex[c & 0xF]);
        } else {
          out->push_back(static_cast<char>(c));
        }
    }
    ++i;
  }
}

void cJsonObjectText::Key(std::string_view key) {
  text_.push_back(text_.empty() ? '{' : ',');
  text_.push_back('"');
  text_.append(key);
  text_.append("\":");
}

cJsonObjectText& cJsonObjectText::Text(std::string_view key, std::string_view value) {
  Key(key);
  text_.push_back('"');
  AppendJsonString(value, &text_);
  text_.push_back('"');
  return *this;
}

cJsonObjectText& cJsonObjectText::Integer(std::string_view key, int64_t value) {
  Key(key);
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text_.append(digits, end);
  return *this;
}

cJsonObjectText& cJsonObjectText::Real(std::string_view key, double value) {
  Key(key);
  if (!std::isfinite(value)) value = 0.0;
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  const std::string_view shortest(digits, static_cast<size_t>(end - digits));
  text_.append(shortest);
  // A whole number still reads as a real number, as a JSON document prints it: 40.0.
  if (shortest.find_first_of(".e") == std::string_view::npos) text_.append(".0");
  return *this;
}

cJsonObjectText& cJsonObjectText::Boolean(std::string_view key, bool value) {
  Key(key);
  text_.append(value ? "true" : "false");
  return *this;
}

std::string cJsonObjectText::Take() {
  if (text_.empty()) text_.push_back('{');
  text_.push_back('}');
  return std::exchange(text_, std::string());
}

}  // namespace hv::bridge
