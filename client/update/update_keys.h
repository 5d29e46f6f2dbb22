// The keys behind an update. A few root keys, built into the client, sign (a threshold of
// them together) the key list: which keys may sign releases, and which are revoked. A
// release key signs the version file. A signature file holds one line per signature, each
// naming its key by key id, so a key can be replaced without the client guessing which
// key a signature belongs to.
//
//   key list ("keys.txt"):   KEY LIST = <serial>          grows with every change
//                            RELEASE KEY = <64 hex digits> one per key that may sign releases
//                            REVOKED KEY = <key id>        never trusted again
//   signature file:          <key id> <128 hex digits>     one line per signature
#ifndef HV_CLIENT_UPDATE_UPDATE_KEYS_H_
#define HV_CLIENT_UPDATE_UPDATE_KEYS_H_

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace hv {

// The published names of the key list and of the two signature files.
constexpr const char* kKeyListName = "keys.txt";
constexpr const char* kKeyListSignatureName = "keys.txt.sig";

// A public key's id: the first 8 bytes of its SHA-256, as 16 lower-case hexadecimal digits.
std::string KeyIdOf(const std::string& public_key);

struct cSignatureLine {
  std::string key_id;     // 16 hexadecimal digits
  std::string signature;  // 64 bytes
};

// The well-formed lines of a signature file; anything else is skipped.
std::vector<cSignatureLine> ParseSignatures(const std::string& text);
// One line of a signature file, with its line end.
std::string SignatureLineText(const std::string& public_key, const std::string& signature);

struct cRootKeys {
  std::vector<std::string> keys;  // 32-byte public keys
  int32_t threshold = 1;          // how many different ones must sign the key list
};

struct cKeyList {
  uint32_t serial = 0;
  std::vector<std::string> release_keys;  // 32-byte public keys
  std::set<std::string> revoked_ids;
};

// Reads a key list; false when it has no serial or a line that is not one of its keys.
bool ParseKeyList(const std::string& text, cKeyList* list);

// How many different keys of `keys` have a valid signature of `message` in `signatures`.
int32_t CountValidSigners(const std::string& message, const std::vector<cSignatureLine>& signatures,
                          const std::vector<std::string>& keys);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_UPDATE_KEYS_H_
