#include "tools/hvbridge/topic_names.h"

#include <sodium.h>

#include <cstdint>
#include <initializer_list>

namespace hv::bridge {

const char* KindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::kSwitch: return "switch";
    case ItemKind::kSensor: return "sensor";
    case ItemKind::kMacro: return "macro";
    case ItemKind::kMode: return "mode";
    case ItemKind::kCamera: return "camera";
    case ItemKind::kLogName: break;  // the bridge mirrors items, not the activity log
  }
  return "item";
}

void AppendTopicSafe(std::string_view bytes, size_t max_length, std::string* out) {
  const size_t start = out->size();
  for (const char c : bytes) {
    if (out->size() - start >= max_length) break;
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')) {
      *out += c;
    } else if (u >= 'A' && u <= 'Z') {
      *out += static_cast<char>(u - 'A' + 'a');
    } else if (out->size() > start && out->back() != '_') {
      *out += '_';
    }
  }
  while (out->size() > start && out->back() == '_') out->pop_back();
  if (out->size() == start) out->append("item");
}

std::string TopicSafe(std::string_view bytes, size_t max_length) {
  std::string slug;
  AppendTopicSafe(bytes, max_length, &slug);
  return slug;
}

namespace {

// Eight bytes of a BLAKE2b hash of the parts, the first byte highest.
uint64_t HashOf(std::initializer_list<std::string_view> parts) {
  // Each part goes in with its length first, so no two different items hash the same bytes
  // ("ab"+"c" against "a"+"bc").
  crypto_generichash_state state;
  crypto_generichash_init(&state, nullptr, 0, crypto_generichash_BYTES_MIN);
  auto add = [&state](std::string_view part) {
    const uint64_t length = part.size();
    unsigned char length_bytes[8];
    for (int i = 0; i < 8; ++i) length_bytes[i] = static_cast<unsigned char>(length >> (8 * i));
    crypto_generichash_update(&state, length_bytes, sizeof length_bytes);
    crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(part.data()),
                              part.size());
  };
  for (const std::string_view part : parts) add(part);
  unsigned char hash[crypto_generichash_BYTES_MIN];
  crypto_generichash_final(&state, hash, sizeof hash);
  // Eight bytes are plenty to tell one house's items apart.
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = value << 8 | hash[i];
  return value;
}

}  // namespace

std::string KeyText(uint64_t key) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, key >>= 4) text[static_cast<size_t>(i)] = kDigits[key & 15];
  return text;
}

uint64_t ItemKeyValue(std::string_view server, std::string_view house, ItemKind kind,
                      std::string_view name) {
  return HashOf({server, house, KindName(kind), name});
}

std::string ItemKey(std::string_view server, std::string_view house, ItemKind kind,
                    std::string_view name) {
  return KeyText(ItemKeyValue(server, house, kind, name));
}

std::string HouseKey(std::string_view server, std::string_view house) {
  return KeyText(HashOf({server, house, "house"}));
}

std::string ItemSegment(std::string_view name, std::string_view key) {
  return TopicSafe(name, 32) + "_" + std::string(key.substr(0, 12));
}

void AppendItemSegment(std::string_view name, uint64_t key, std::string* out) {
  AppendTopicSafe(name, 32, out);
  out->append(1, '_');
  // The first 12 of the key's 16 digits.
  static constexpr char kDigits[] = "0123456789abcdef";
  for (int shift = 60; shift >= 16; shift -= 4) out->append(1, kDigits[(key >> shift) & 15]);
}

std::string PrefixProblem(std::string_view prefix) {
  if (prefix.empty()) return "is empty";
  if (prefix.front() == '/' || prefix.back() == '/') return "starts or ends with '/'";
  if (prefix.find("//") != std::string_view::npos) return "has an empty level";
  for (const char c : prefix) {
    if (c == '+' || c == '#') return "holds a wildcard ('+' or '#')";
    if (static_cast<unsigned char>(c) < 0x20) return "holds a control character or NUL";
  }
  if (prefix.size() > 200) return "is longer than 200 bytes";
  return "";
}

}  // namespace hv::bridge
