// cPasswordStore: where passwords can be kept out of the plain-text settings: the desktop's
// keyring. Each password is filed under the program's registry words and a key naming what
// it belongs to ("Client Settings\Password", "Client Data\<site>"). The program realises it
// with the Secret Service; tests use cMemoryPasswordStore.
#ifndef HV_CLIENT_PLATFORM_PASSWORD_STORE_H_
#define HV_CLIENT_PLATFORM_PASSWORD_STORE_H_

#include <cstdint>

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

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_PASSWORD_STORE_H_
