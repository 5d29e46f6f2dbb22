// Proof that a downloaded file is what the publisher released: SHA-256 of a file, and the
// Ed25519 detached signature of the version file (which holds every other file's hash).
#ifndef HV_CLIENT_UPDATE_UPDATE_SIGNATURE_H_
#define HV_CLIENT_UPDATE_UPDATE_SIGNATURE_H_

#include <string>

namespace hv {

constexpr size_t kSha256Bytes = 32;
constexpr size_t kSignatureBytes = 64;
constexpr size_t kPublicKeyBytes = 32;

// The file's SHA-256 (32 bytes); empty when it cannot be read.
std::string FileSha256(const char* path);

// True when `signature` (a 64-byte detached signature) signs `message` under `public_key`
// (32 bytes). Any size mismatch is false.
bool SignatureIsValid(const std::string& message, const std::string& signature,
                      const std::string& public_key);

// Lower-case hexadecimal of the bytes.
std::string HexText(const std::string& bytes);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_UPDATE_SIGNATURE_H_
