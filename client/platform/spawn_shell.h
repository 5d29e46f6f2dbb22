// cSpawnShell: the shell for every realisation of the client. "open" runs `xdg-open`, found
// on PATH, with posix_spawnp (never through `sh -c`), so a test can put its own opener first
// on PATH; programs are started directly with their arguments. Started processes are not
// awaited; finished ones are reaped on later calls and when the shell is destroyed.
#ifndef HV_CLIENT_PLATFORM_SPAWN_SHELL_H_
#define HV_CLIENT_PLATFORM_SPAWN_SHELL_H_

#include <sys/types.h>

#include <string>
#include <vector>

#include "client/platform/shell.h"

namespace hv {

class cSpawnShell : public cShell {
 public:
  cSpawnShell() = default;
  cSpawnShell(const cSpawnShell&) = delete;
  cSpawnShell& operator=(const cSpawnShell&) = delete;
  ~cSpawnShell() override;

  [[nodiscard]] Status Open(const char* file_or_url) override;
  [[nodiscard]] Status Execute(const char* verb, const char* file, const char* parameters,
                               const char* directory, int32_t show_command) override;

  // Waits for every started process to finish (for tests; the program never blocks on them).
  void WaitForChildren();

 private:
  // Starts argv[0] (searched on PATH when `search_path`), in `directory` when not empty.
  // A program that is not there fails with `missing_code`, any other refusal with
  // kCannotOpenFile; the message carries the system's words.
  [[nodiscard]] Status Spawn(const std::vector<std::string>& argv, const std::string& directory,
                             bool search_path, int32_t missing_code);
  void ReapFinished();

  std::vector<pid_t> children_;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_SPAWN_SHELL_H_
