// hvreg: lists, reads, writes, deletes, exports and imports the values of the per-user
// registry store that Hearthview keeps its settings in. `hvreg --help` tells how.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/system_error.h"
#include "tools/hvreg/hvreg_commands.h"

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const int status = RunHvreg(args, stdout, stderr);
  // An export into a full disk or a closed pipe must not pass for a whole one.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "hvreg: cannot write the output: %s\n", hv::SystemReason(errno).c_str());
    return status == kHvregOk ? kHvregNotFound : status;
  }
  return status;
}
