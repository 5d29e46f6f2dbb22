// hvreg's commands over the registry store at swRegistryStore::DefaultPath().
#ifndef HV_TOOLS_HVREG_HVREG_COMMANDS_H_
#define HV_TOOLS_HVREG_HVREG_COMMANDS_H_

#include <cstdio>
#include <string>
#include <vector>

#include "core/profile/registry_store.h"
#include "tools/hvreg/registry_text.h"

namespace hv {

// Exit codes.
enum : int {
  kHvregOk = 0,
  kHvregNotFound = 1,  // the key or value does not exist, or the store failed
  kHvregUsage = 2,     // bad command line or bad input
};

// Adds the keys and values of a parsed export to `store`, all or nothing: one transaction.
// kStoreOk, or the store's result with *failed_key naming the key it refused ("" when the
// transaction itself failed).
int ImportKeys(swRegistryStore& store, const std::vector<swRegistryTextKey>& keys,
               std::string* failed_key);

// Runs one command (`args` without the program name); output to `out`, messages to `err`.
int RunHvreg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace hv

#endif  // HV_TOOLS_HVREG_HVREG_COMMANDS_H_
