// cPasswordStore: where passwords can be kept out of the plain-text settings: the desktop's
// keyring. Each password is filed under the program's registry words and a key naming what
// it belongs to ("Client Settings\Password", "Client Data\<site>"). The program realises it
// with the Secret Service; tests use cMemoryPasswordStore.
#ifndef HV_CLIENT_PLATFORM_PASSWORD_STORE_H_
#define HV_CLIENT_PLATFORM_PASSWORD_STORE_H_

#include <string>
#include <utility>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cPasswordStore {
 public:
  virtual ~cPasswordStore() = default;
  // A keyring answers now (a desktop without one, or a session without a bus, has none).
  virtual bool IsAvailable() = 0;
  // Every status is the keyring's (Where::kKeyring), so its kCannotOpenFile stays apart from
  // the settings file's. Fails with kNotConnected when no keyring answers, and
  // with kCannotOpenFile when it refuses (the message says what it said); nothing is stored
  // then, and the caller keeps the password where it was.
  [[nodiscard]] virtual Status Store(const char* company, const char* application, const char* key,
                                     const char* password) = 0;
  // Fills *password. Declined when nothing is filed under the key; fails as Store does, or with
  // kMissingArgument without `password`.
  [[nodiscard]] virtual Status Lookup(const char* company, const char* application, const char* key,
                                      swString* password) = 0;
  // Ok also when nothing was filed under the key; fails as Store does.
  [[nodiscard]] virtual Status Remove(const char* company, const char* application,
                                      const char* key) = 0;
};

// Removes the password filed under `key`. A password the keyring will not let go of is still
// filed there although the user asked for it to be forgotten: that failure is the save's to
// report, with the keyring's code and a message naming the key.
[[nodiscard]] inline Status RemovePassword(cPasswordStore& keyring, const char* company,
                                           const char* application, const char* key) {
  const Status removed = keyring.Remove(company, application, key);
  if (removed.ok()) return removed;
  std::string message = std::string("the keyring still holds the password of \"") + key + "\"";
  if (!removed.message().empty()) message += ": " + removed.message();
  return Status(removed.where(), removed.code(), std::move(message));
}

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_PASSWORD_STORE_H_
