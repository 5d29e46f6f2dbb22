// hvreg's commands over the registry store at swRegistryStore::DefaultPath().
#ifndef HV_TOOLS_HVREG_HVREG_COMMANDS_H_
#define HV_TOOLS_HVREG_HVREG_COMMANDS_H_

#include <cstdio>
#include <string>
#include <vector>

// Exit codes.
enum : int {
  kHvregOk = 0,
  kHvregNotFound = 1,  // the key or value does not exist, or the store failed
  kHvregUsage = 2,     // bad command line or bad input
};

// Runs one command (`args` without the program name); output to `out`, messages to `err`.
int RunHvreg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

#endif  // HV_TOOLS_HVREG_HVREG_COMMANDS_H_
