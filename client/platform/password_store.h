// cPasswordStore: where passwords can be kept out of the plain-text settings: the desktop's
// keyring. Each password is filed under the program's registry words and a key naming what
// it belongs to ("Client Settings\Password", "Client Data\<site>"). The program realises it
// with the Secret Service; tests use cMemoryPasswordStore.
#ifndef HV_CLIENT_PLATFORM_PASSWORD_STORE_H_
#define HV_CLIENT_PLATFORM_PASSWORD_STORE_H_

#include <cstdint>
#include <string>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cPasswordStore {
 public:
  virtual ~cPasswordStore() = default;
  // A keyring answers now (a desktop without one, or a session without a bus, has none).
  virtual bool IsAvailable() = 0;
  // 0, or a failure (nothing stored: the caller keeps the password where it was).
  [[nodiscard]] virtual int32_t Store(const char* company, const char* application, const char* key,
                                      const char* password) = 0;
  // 0 with *password filled; 1 when nothing is filed under the key; or a failure.
  [[nodiscard]] virtual int32_t Lookup(const char* company, const char* application,
                                       const char* key, swString* password) = 0;
  // 0 (also when nothing was filed), or a failure.
  [[nodiscard]] virtual int32_t Remove(const char* company, const char* application,
                                       const char* key) = 0;
};

// Removes the password filed under `key`. A password the keyring will not let go of is still
// filed there although the user asked for it to be forgotten: that failure is the save's to
// report (Where::kSettings with the keyring's code).
[[nodiscard]] inline Status RemovePassword(cPasswordStore& keyring, const char* company,
                                           const char* application, const char* key) {
  const int32_t rc = keyring.Remove(company, application, key);
  if (rc == 0) return Status::Ok();
  return Status(Where::kSettings, rc,
                std::string("the keyring still holds the password of \"") + key + "\"");
}

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_PASSWORD_STORE_H_
