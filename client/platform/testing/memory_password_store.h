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
  int32_t Store(const char* company, const char* application, const char* key,
                const char* password) override {
    if (!available || refuse_stores) return hv::kCannotOpenFile;
    entries[Key(company, application, key)] = password != nullptr ? password : "";
    return hv::kOk;
  }
  int32_t Lookup(const char* company, const char* application, const char* key,
                 swString* password) override {
    if (!available) return hv::kCannotOpenFile;
    auto found = entries.find(Key(company, application, key));
    if (found == entries.end()) return hv::kDeclined;
    *password = found->second.c_str();
    return hv::kOk;
  }
  int32_t Remove(const char* company, const char* application, const char* key) override {
    if (!available || refuse_removals) return hv::kCannotOpenFile;
    entries.erase(Key(company, application, key));
    return hv::kOk;
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
