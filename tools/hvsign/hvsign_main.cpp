// hvsign: the publisher's side of update signatures. It makes the Ed25519 key pair whose
// public half is built into the client (HV_UPDATE_PUBLIC_KEY), and signs version files.
//
//   hvsign keygen <secret-key-file>          writes a new secret key (mode 0600), prints the
//                                            public key in hexadecimal
//   hvsign public <secret-key-file>          prints the public key of a secret key
//   hvsign sign <secret-key-file> <file> <signature-file>
//   hvsign verify <public-key-hex> <file> <signature-file>   exit status 0 when it holds
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "client/update/update_constants.h"
#include "client/update/update_signature.h"

namespace hv {

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: hvsign keygen <secret-key-file>\n"
               "       hvsign public <secret-key-file>\n"
               "       hvsign sign <secret-key-file> <file> <signature-file>\n"
               "       hvsign verify <public-key-hex> <file> <signature-file>\n");
  return 2;
}

bool ReadFile(const char* path, std::string* content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream buffer;
  buffer << file.rdbuf();
  *content = buffer.str();
  return true;
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
  if (!ReadFile(path, key) || key->size() != crypto_sign_SECRETKEYBYTES) {
    std::fprintf(stderr, "hvsign: %s is not a secret key file\n", path);
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
  if (argc < 3 || sodium_init() < 0) return Usage();
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
    if (!ReadFile(argv[3], &message)) {
      std::fprintf(stderr, "hvsign: cannot read %s\n", argv[3]);
      return 1;
    }
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
    if (!ReadFile(argv[3], &message) || !ReadFile(argv[4], &signature)) {
      std::fprintf(stderr, "hvsign: cannot read the file or its signature\n");
      return 1;
    }
    if (!SignatureIsValid(message, signature, PublicKeyFromHex(argv[2]))) {
      std::fprintf(stderr, "hvsign: the signature does not hold\n");
      return 1;
    }
    return 0;
  }
  return Usage();
}
