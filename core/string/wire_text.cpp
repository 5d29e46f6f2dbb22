#include "core/string/wire_text.h"

#include <cstdint>

namespace hv {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr char16_t kHighCharacters[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CharacterOfByte(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighCharacters[byte - 0x80] : byte;
}

// The code-page byte of a character; -1 when it has none.
int ByteOfCharacter(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighCharacters[i] == c) return 0x80 + i;
  }
  return -1;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes the character at text[*at] and moves past it; false for a malformed sequence.
bool NextCharacter(std::string_view text, size_t* at, char32_t* c) {
  const auto lead = static_cast<unsigned char>(text[*at]);
  size_t extra = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    *c = lead;
    ++*at;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    value = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    value = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    value = lead & 0x07;
    smallest = 0x10000;
  } else {
    return false;
  }
  if (text.size() - *at <= extra) return false;
  for (size_t i = 1; i <= extra; ++i) {
    const auto next = static_cast<unsigned char>(text[*at + i]);
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  *c = value;
  *at += extra + 1;
  return true;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  size_t at = 0;
  char32_t c = 0;
  while (at < text.size()) {
    if (!NextCharacter(text, &at, &c)) return false;
  }
  return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char byte : bytes) AppendUtf8(CharacterOfByte(static_cast<unsigned char>(byte)), &out);
  return out;
}

bool Utf8ToWindows1252(std::string_view text, std::string* out) {
  std::string converted;
  converted.reserve(text.size());
  size_t at = 0;
  char32_t c = 0;
  while (at < text.size()) {
    if (!NextCharacter(text, &at, &c)) return false;
    const int byte = ByteOfCharacter(c);
    if (byte < 0) return false;
    converted.push_back(static_cast<char>(byte));
  }
  *out = std::move(converted);
  return true;
}

std::string TextToWire(std::string_view text) {
  std::string converted;
  if (Utf8ToWindows1252(text, &converted)) return converted;
  return std::string(text);
}

std::string TextFromWire(std::string_view bytes) {
  if (IsUtf8(bytes)) return std::string(bytes);
  return Windows1252ToUtf8(bytes);
}

}  // namespace hv
