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

std::string TopicSafe(std::string_view bytes, size_t max_length) {
  std::string slug;
  for (const char c : bytes) {
    if (slug.size() >= max_length) break;
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')) {
      slug += c;
    } else if (u >= 'A' && u <= 'Z') {
      slug += static_cast<char>(u - 'A' + 'a');
    } else if (!slug.empty() && slug.back() != '_') {
      slug += '_';
    }
  }
  while (!slug.empty() && slug.back() == '_') slug.pop_back();
  if (slug.empty()) slug = "item";
  return slug;
}

namespace {

// Eight bytes of a BLAKE2b hash of the parts, as 16 hex digits.
std::string HashOf(std::initializer_list<std::string_view> parts) {
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
  char hex[8 * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, hash, 8);
  return hex;
}

}  // namespace

std::string ItemKey(std::string_view server, std::string_view house, ItemKind kind,
                    std::string_view name) {
  return HashOf({server, house, KindName(kind), name});
}

std::string HouseKey(std::string_view server, std::string_view house) {
  return HashOf({server, house, "house"});
}

std::string ItemSegment(std::string_view name, std::string_view key) {
  return TopicSafe(name, 32) + "_" + std::string(key.substr(0, 12));
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
