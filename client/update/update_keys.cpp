#include "client/update/update_keys.h"

#include <sodium.h>

#include <cstdlib>

#include "client/update/update_signature.h"
#include "core/string/hex_digit.h"

namespace hv {

namespace {

constexpr size_t kKeyIdDigits = 16;
// More signature lines than any publisher writes is a file made to waste time.
constexpr size_t kMostSignatureLines = 32;

bool IsHex(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::string Trimmed(const std::string& text) {
  size_t start = 0;
  size_t end = text.size();
  while (start < end && (text[start] == ' ' || text[start] == '\t')) ++start;
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) {
    --end;
  }
  return text.substr(start, end - start);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

template <class Each>
void ForEachLine(const std::string& text, Each&& each) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    each(Trimmed(text.substr(start, end - start)));
    start = end + 1;
  }
}

}  // namespace

std::string KeyIdOf(const std::string& public_key) {
  static const bool ready = sodium_init() >= 0;
  if (!ready) return std::string();
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(public_key.data()),
                     public_key.size());
  return HexText(std::string(reinterpret_cast<const char*>(digest), kKeyIdDigits / 2));
}

std::vector<cSignatureLine> ParseSignatures(const std::string& text) {
  std::vector<cSignatureLine> lines;
  ForEachLine(text, [&](const std::string& line) {
    if (lines.size() >= kMostSignatureLines) return;
    const size_t space = line.find(' ');
    if (space != kKeyIdDigits) return;
    const std::string id = line.substr(0, space);
    const std::string signature = Trimmed(line.substr(space + 1));
    if (!IsHex(id) || signature.size() != 2 * kSignatureBytes || !IsHex(signature)) return;
    lines.push_back({Lower(id), BytesFromHex(signature)});
  });
  return lines;
}

std::string SignatureLineText(const std::string& public_key, const std::string& signature) {
  return KeyIdOf(public_key) + " " + HexText(signature) + "\n";
}

bool ParseKeyList(const std::string& text, cKeyList* list) {
  *list = cKeyList();
  bool serial_seen = false;
  bool well_formed = true;
  ForEachLine(text, [&](const std::string& line) {
    if (line.empty() || line[0] == '#') return;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      well_formed = false;
      return;
    }
    const std::string key = Trimmed(line.substr(0, equals));
    const std::string value = Lower(Trimmed(line.substr(equals + 1)));
    if (key == "KEY LIST" && !value.empty() && value.size() <= 9 &&
        value.find_first_not_of("0123456789") == std::string::npos) {
      list->serial = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
      serial_seen = true;
    } else if (key == "RELEASE KEY" && value.size() == 2 * kPublicKeyBytes && IsHex(value)) {
      list->release_keys.push_back(BytesFromHex(value));
    } else if (key == "REVOKED KEY" && value.size() == kKeyIdDigits && IsHex(value)) {
      list->revoked_ids.insert(value);
    } else {
      well_formed = false;
    }
  });
  return serial_seen && well_formed;
}

int32_t CountValidSigners(const std::string& message, const std::vector<cSignatureLine>& signatures,
                          const std::vector<std::string>& keys) {
  std::set<std::string> signers;
  for (const std::string& key : keys) {
    const std::string id = KeyIdOf(key);
    for (const cSignatureLine& line : signatures) {
      if (line.key_id == id && SignatureIsValid(message, line.signature, key)) {
        signers.insert(key);
        break;
      }
    }
  }
  return static_cast<int32_t>(signers.size());
}

}  // namespace hv
