// hvsign: the publisher's side of update signatures. It makes the Ed25519 key pair whose
// public half is built into the client (HV_UPDATE_PUBLIC_KEY), and signs version files.
//
//   hvsign keygen <secret-key-file>          writes a new secret key (mode 0600), prints the
//                                            public key in hexadecimal
//   hvsign public <secret-key-file>          prints the public key of a secret key
//   hvsign sign <secret-key-file> <file> <signature-file>
//   hvsign verify <public-key-hex> <file> <signature-file>   exit status 0 when it holds
//
// Exit status: 0 done, 1 a file that cannot be read or written, a key that is not one, a
// signature that does not hold; 2 a bad command line.
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "client/update/update_constants.h"
#include "client/update/update_signature.h"
#include "core/file/whole_file.h"

namespace hv {

namespace {

const char kUsage[] =
    "usage: hvsign keygen <secret-key-file>\n"
    "       hvsign public <secret-key-file>\n"
    "       hvsign sign <secret-key-file> <file> <signature-file>\n"
    "       hvsign verify <public-key-hex> <file> <signature-file>\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// What is signed is a version file, a few kilobytes; keys and signatures are smaller still.
constexpr size_t kMaxFileBytes = size_t{256} << 20;

// The file whole, or false after saying why not.
bool ReadFile(const char* path, std::string* content) {
  const hv::Status status = hv::ReadWholeFile(path, kMaxFileBytes, content);
  if (!status.ok()) std::fprintf(stderr, "hvsign: %s\n", status.message().c_str());
  return status.ok();
}

// Written whole under a temporary name and renamed, so a key or signature is never half there.
bool WriteFile(const char* path, const std::string& content, mode_t mode) {
  const std::string temporary = std::string(path) + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return false;
  const bool written =
      write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
      fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temporary.c_str(), path) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadSecretKey(const char* path, std::string* key) {
  if (!ReadFile(path, key)) return false;
  if (key->size() != crypto_sign_SECRETKEYBYTES) {
    std::fprintf(stderr, "hvsign: \"%s\" is not a secret key file\n", path);
    return false;
  }
  return true;
}

std::string PublicOf(const std::string& secret) {
  unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
  crypto_sign_ed25519_sk_to_pk(public_key, reinterpret_cast<const unsigned char*>(secret.data()));
  return std::string(reinterpret_cast<const char*>(public_key), sizeof public_key);
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 3) return Usage();
  if (sodium_init() < 0) {
    std::fprintf(stderr, "hvsign: the cryptography library cannot start\n");
    return 1;
  }
  const std::string command = argv[1];
  if (command == "keygen" && argc == 3) {
    unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
    unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(public_key, secret_key);
    const std::string secret(reinterpret_cast<const char*>(secret_key), sizeof secret_key);
    sodium_memzero(secret_key, sizeof secret_key);
    if (!WriteFile(argv[2], secret, 0600)) {
      std::fprintf(stderr, "hvsign: cannot write %s\n", argv[2]);
      return 1;
    }
    std::printf("%s\n", HexText(PublicOf(secret)).c_str());
    return 0;
  }
  if (command == "public" && argc == 3) {
    std::string secret;
    if (!ReadSecretKey(argv[2], &secret)) return 1;
    std::printf("%s\n", HexText(PublicOf(secret)).c_str());
    return 0;
  }
  if (command == "sign" && argc == 5) {
    std::string secret;
    std::string message;
    if (!ReadSecretKey(argv[2], &secret)) return 1;
    if (!ReadFile(argv[3], &message)) return 1;
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                         message.size(), reinterpret_cast<const unsigned char*>(secret.data()));
    if (!WriteFile(argv[4], std::string(reinterpret_cast<const char*>(signature), sizeof signature),
                   0644)) {
      std::fprintf(stderr, "hvsign: cannot write %s\n", argv[4]);
      return 1;
    }
    return 0;
  }
  if (command == "verify" && argc == 5) {
    std::string message;
    std::string signature;
    const std::string public_key = PublicKeyFromHex(argv[2]);
    if (public_key.empty()) {
      std::fprintf(stderr, "hvsign: \"%s\" is not a public key (64 hexadecimal digits)\n", argv[2]);
      return 1;
    }
    if (!ReadFile(argv[3], &message) || !ReadFile(argv[4], &signature)) return 1;
    if (!SignatureIsValid(message, signature, public_key)) {
      std::fprintf(stderr, "hvsign: the signature does not hold\n");
      return 1;
    }
    return 0;
  }
  return Usage();
}
