// hvreg: lists, reads, writes, deletes, exports and imports the values of the per-user
// registry store that Hearthview keeps its settings in. `hvreg --help` tells how.
#include <string>
#include <vector>

#include "tools/hvreg/hvreg_commands.h"

namespace hv {

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunHvreg(args, stdout, stderr);
}
