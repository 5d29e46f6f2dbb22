// cMemoryPasswordStore: a keyring in memory, which can be made unavailable or refuse to
// store or to remove, for tests.
#ifndef HV_CLIENT_PLATFORM_TESTING_MEMORY_PASSWORD_STORE_H_
#define HV_CLIENT_PLATFORM_TESTING_MEMORY_PASSWORD_STORE_H_

#include <map>
#include <string>

#include "client/platform/password_store.h"
#include "core/status.h"

namespace hv {

class cMemoryPasswordStore : public cPasswordStore {
 public:
  bool IsAvailable() override { return available; }
  Status Store(const char* company, const char* application, const char* key,
               const char* password) override {
    if (!available || refuse_stores) return Refused();
    entries[Key(company, application, key)] = password != nullptr ? password : "";
    return Status::Ok();
  }
  Status Lookup(const char* company, const char* application, const char* key,
                swString* password) override {
    if (!available) return Refused();
    auto found = entries.find(Key(company, application, key));
    if (found == entries.end()) return Status::Declined(Where::kKeyring);
    *password = found->second.c_str();
    return Status::Ok();
  }
  Status Remove(const char* company, const char* application, const char* key) override {
    if (!available || refuse_removals) return Refused();
    entries.erase(Key(company, application, key));
    return Status::Ok();
  }
  // What this keyring says when it is unavailable or told to refuse.
  static Status Refused() {
    return Status(Where::kKeyring, hv::kCannotOpenFile, "the test keyring refuses");
  }
  // "company|application|key" of an entry.
  static std::string Key(const char* company, const char* application, const char* key) {
    return std::string(company) + "|" + application + "|" + key;
  }

  bool available = true;
  bool refuse_stores = false;
  bool refuse_removals = false;
  std::map<std::string, std::string> entries;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_TESTING_MEMORY_PASSWORD_STORE_H_
