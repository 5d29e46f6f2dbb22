// restart: swaps an updated program file into place and starts the program again. The
// client starts it on its way out, with a command line such as
//   /F="<program>" /D=10000 /C="<new file>" /T="<program>" /P=<client's process id>
//   /L="<list of the update's files>"
#include <cstdio>

#include "restart/restart_run.h"
#include "restart/swap_files.h"
#include "restart/system_restart_host.h"

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  // Only alone: any other use of these words is a value of the Windows-style grammar.
  if (argc == 2) {
    if (const char* text = RestartInformation(argv[1])) {
      std::fputs(text, stdout);
      return 0;
    }
  }
  cSystemRestartHost host;
  cSwapFiles files;
  return RunRestart(argc, argv, host, files);
}
