// cSecretPasswordStore: the desktop keyring through the Secret Service (libsecret), each
// password filed with the attributes company, application and key under one schema, in the
// default collection. Whether a keyring answers is asked once, at the first use, since
// asking means a round trip on the session bus.
//
// The calls wait for the keyring; a locked keyring may first ask the user to unlock it.
#ifndef HV_CLIENT_PLATFORM_LINUX_SECRET_PASSWORD_STORE_H_
#define HV_CLIENT_PLATFORM_LINUX_SECRET_PASSWORD_STORE_H_

#include "client/platform/password_store.h"

namespace hv {

class cSecretPasswordStore : public cPasswordStore {
 public:
  // The schema the passwords are filed under.
  static constexpr const char* kSchemaName = "hearthview.Password";

  bool IsAvailable() override;
  [[nodiscard]] Status Store(const char* company, const char* application, const char* key,
                             const char* password) override;
  [[nodiscard]] Status Lookup(const char* company, const char* application, const char* key,
                              swString* password) override;
  [[nodiscard]] Status Remove(const char* company, const char* application,
                              const char* key) override;

 private:
  enum class eAvailability { kUnknown, kYes, kNo };
  eAvailability availability_ = eAvailability::kUnknown;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_LINUX_SECRET_PASSWORD_STORE_H_
