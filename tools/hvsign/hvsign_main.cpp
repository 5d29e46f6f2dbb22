// hvsign: the publisher's side of update signatures (scripts/make-update-site drives it). It
// makes Ed25519 keys, writes the key list that root keys sign, and signs files; every
// signature is one line that names its key by key id.
//
//   hvsign keygen <secret-key-file>          writes a new secret key (mode 0600), prints the
//                                            public key in hexadecimal
//   hvsign public <secret-key-file>          prints the public key of a secret key
//   hvsign id <secret-key-file|public-key-hex>   prints the key id
//   hvsign sign <secret-key-file> <file> <signature-file>
//                                            writes the file's signature by that key
//   hvsign cosign <secret-key-file> <file> <signature-file>
//                                            adds that key's signature to the others there
//   hvsign keylist <serial> <key-list-file> [--release <public-key-hex>]... [--revoke <key id>]...
//   hvsign verify <public-key-hex>[,<public-key-hex>...] <file> <signature-file> [<threshold>]
//                                            exit status 0 when that many of the keys
//                                            (default 1) signed the file
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
#include <vector>

#include "client/update/update_constants.h"
#include "client/update/update_keys.h"
#include "client/update/update_signature.h"
#include "core/file/file_replace.h"
#include "core/file/whole_file.h"

namespace hv {

namespace {

const char kUsage[] =
    "usage: hvsign keygen <secret-key-file>\n"
    "       hvsign public <secret-key-file>\n"
    "       hvsign id <secret-key-file|public-key-hex>\n"
    "       hvsign sign <secret-key-file> <file> <signature-file>\n"
    "       hvsign cosign <secret-key-file> <file> <signature-file>\n"
    "       hvsign keylist <serial> <key-list-file> [--release <public-key-hex>]...\n"
    "                      [--revoke <key-id>]...\n"
    "       hvsign verify <public-key-hex>[,...] <file> <signature-file> [<threshold>]\n";

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

// Written whole under a temporary name (made private, so a secret key is never readable by
// others on the way) and renamed, so a key or signature is never half there; false after
// saying why not.
bool WriteFile(const char* path, const std::string& content, mode_t mode) {
  const hv::Status written = hv::ReplaceFileWithBytes(path, content.data(), content.size(), mode);
  if (!written.ok()) std::fprintf(stderr, "hvsign: %s\n", written.message().c_str());
  return written.ok();
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

std::string SignatureOf(const std::string& secret, const std::string& message) {
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), reinterpret_cast<const unsigned char*>(secret.data()));
  return std::string(reinterpret_cast<const char*>(signature), sizeof signature);
}

int KeyGen(const char* path) {
  unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
  unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(public_key, secret_key);
  const std::string secret(reinterpret_cast<const char*>(secret_key), sizeof secret_key);
  sodium_memzero(secret_key, sizeof secret_key);
  // A key is never replaced by accident: losing one can lock a publisher out for good.
  if (access(path, F_OK) == 0) {
    std::fprintf(stderr, "hvsign: %s exists already; a key is never overwritten\n", path);
    return 1;
  }
  if (!WriteFile(path, secret, 0600)) return 1;
  std::printf("%s\n", HexText(PublicOf(secret)).c_str());
  return 0;
}

// Signs `file` into `signature_file`; with `add`, the lines of other keys there stay.
int Sign(const char* key_path, const char* file, const char* signature_file, bool add) {
  std::string secret;
  std::string message;
  if (!ReadSecretKey(key_path, &secret) || !ReadFile(file, &message)) return 1;
  const std::string public_key = PublicOf(secret);
  std::string lines;
  if (add && access(signature_file, F_OK) == 0) {
    std::string existing;
    if (!ReadFile(signature_file, &existing)) return 1;
    for (const cSignatureLine& line : ParseSignatures(existing)) {
      if (line.key_id != KeyIdOf(public_key)) {
        lines += line.key_id + " " + HexText(line.signature) + "\n";
      }
    }
  }
  lines += SignatureLineText(public_key, SignatureOf(secret, message));
  if (!WriteFile(signature_file, lines, 0644)) return 1;
  return 0;
}

int KeyList(int argc, char** argv) {
  const std::string serial = argv[2];
  if (serial.empty() || serial.size() > 9 ||
      serial.find_first_not_of("0123456789") != std::string::npos) {
    std::fprintf(stderr, "hvsign: \"%s\" is not a serial number\n", serial.c_str());
    return 1;
  }
  std::string text = "KEY LIST = " + serial + "\n";
  for (int i = 4; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    const std::string value = argv[i + 1];
    if (option == "--release") {
      if (PublicKeyFromHex(value.c_str()).empty()) {
        std::fprintf(stderr, "hvsign: \"%s\" is not a public key (64 hexadecimal digits)\n",
                     value.c_str());
        return 1;
      }
      text += "RELEASE KEY = " + value + "\n";
    } else if (option == "--revoke") {
      if (value.size() != 16 || value.find_first_not_of("0123456789abcdef") != std::string::npos) {
        std::fprintf(stderr, "hvsign: \"%s\" is not a key id (16 hexadecimal digits)\n",
                     value.c_str());
        return 1;
      }
      text += "REVOKED KEY = " + value + "\n";
    } else {
      return Usage();
    }
  }
  cKeyList list;
  if (!ParseKeyList(text, &list)) return Usage();
  if (!WriteFile(argv[3], text, 0644)) return 1;
  return 0;
}

int Verify(int argc, char** argv) {
  std::vector<std::string> keys;
  if (!PublicKeysFromHex(argv[2], &keys) || keys.empty()) {
    std::fprintf(stderr, "hvsign: \"%s\" is not a public key (64 hexadecimal digits)\n", argv[2]);
    return 1;
  }
  const int threshold = argc == 6 ? std::atoi(argv[5]) : 1;
  if (threshold < 1) return Usage();
  std::string message;
  std::string signatures;
  if (!ReadFile(argv[3], &message) || !ReadFile(argv[4], &signatures)) return 1;
  const int signers = CountValidSigners(message, ParseSignatures(signatures), keys);
  if (signers < threshold) {
    if (threshold == 1) {
      std::fprintf(stderr, "hvsign: the signature does not hold\n");
    } else {
      std::fprintf(stderr, "hvsign: %d of the keys signed, and %d are needed\n", signers,
                   threshold);
    }
    return 1;
  }
  return 0;
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
  if (command == "keygen" && argc == 3) return KeyGen(argv[2]);
  if ((command == "public" || command == "id") && argc == 3) {
    std::string public_key = PublicKeyFromHex(argv[2]);
    if (public_key.empty()) {
      std::string secret;
      if (!ReadSecretKey(argv[2], &secret)) return 1;
      public_key = PublicOf(secret);
    }
    std::printf("%s\n", (command == "id" ? KeyIdOf(public_key) : HexText(public_key)).c_str());
    return 0;
  }
  if ((command == "sign" || command == "cosign") && argc == 5) {
    return Sign(argv[2], argv[3], argv[4], command == "cosign");
  }
  if (command == "keylist" && argc >= 4) return KeyList(argc, argv);
  if (command == "verify" && (argc == 5 || argc == 6)) return Verify(argc, argv);
  return Usage();
}
