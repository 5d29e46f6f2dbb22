// restart: swaps an updated program file into place and starts the program again. The
// client starts it on its way out, with a command line such as
//   /F="<program>" /D=10000 /C="<new file>" /T="<program>"
#include "restart/program_files.h"
#include "restart/restart_run.h"
#include "restart/system_restart_host.h"

namespace hv {

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  cSystemRestartHost host;
  cPosixProgramFiles files;
  return RunRestart(argc, argv, host, files);
}
