#include "client/update/update_signature.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cerrno>

namespace hv {

namespace {

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace

std::string FileSha256(const char* path) {
  if (!SodiumReady() || path == nullptr) return std::string();
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string();
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  unsigned char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      return std::string();
    }
    if (got == 0) break;
    crypto_hash_sha256_update(&state, buffer, static_cast<unsigned long long>(got));
  }
  close(fd);
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&state, digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

bool SignatureIsValid(const std::string& message, const std::string& signature,
                      const std::string& public_key) {
  if (!SodiumReady()) return false;
  if (signature.size() != crypto_sign_BYTES || public_key.size() != crypto_sign_PUBLICKEYBYTES) {
    return false;
  }
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(message.data()),
                                     static_cast<unsigned long long>(message.size()),
                                     reinterpret_cast<const unsigned char*>(public_key.data())) ==
         0;
}

std::string HexText(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 15]);
  }
  return hex;
}

}  // namespace hv
