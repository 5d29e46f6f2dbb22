#include "core/file/running_program.h"

#include <limits.h>
#include <unistd.h>

namespace hv {

std::string RunningProgramPath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  // A full buffer may be a cut path, which is worse than none.
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace hv
