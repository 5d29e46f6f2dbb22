// The restart program's whole run: read the command line, wait, swap the program file and
// start the program again.
#ifndef HV_RESTART_RESTART_RUN_H_
#define HV_RESTART_RESTART_RUN_H_

#include <cstdint>

#include "core/string/sw_string.h"
#include "restart/restart_host.h"
#include "restart/swap_files.h"

namespace hv {

// Values on the command line run up to this many characters: room for any path the system
// accepts (PATH_MAX), where the classic limit of 80 would cut real paths short and send the
// new program file somewhere else.
constexpr uint16_t kRestartValueLimit = 4096;

// Exit codes of the program.
constexpr int kRestartExitOk = 0;
constexpr int kRestartExitLaunchFailed = 1;  // "Couldn't open" was shown
constexpr int kRestartExitNotReplaced = 2;   // the program started, but nothing was swapped in
// The old program still ran, or another run was installing the same update: nothing was done.
constexpr int kRestartExitStillRunning = 3;

// Polls the host's clock until `delay` milliseconds have passed since the first look, pausing
// between looks. The elapsed time is an unsigned 32-bit difference, so a wrap of the clock
// does no harm. A delay of 0 or less does not wait.
void WaitMilliseconds(int32_t delay, cRestartHost& host);

// Polls until the process `pid` has ended or `delay` milliseconds have passed, whichever
// comes first. True when it has ended.
bool WaitForProcessEnd(int32_t pid, int32_t delay, cRestartHost& host);

// The folder of `program` (up to and including its last `/`), its working directory; empty
// for a bare name. Only `/` separates folders on this platform: `\` and `:` are ordinary
// characters of a file name.
swString ProgramDirectory(const swString& program);

// What `restart --help` and `restart --version` print; null for any other argument.
const char* RestartInformation(const char* argument);

// The run over the argument vector (index 0 is the program's own name). Bad parameters and a
// failed launch are shown through the host. Returns one of the exit codes above.
int RunRestart(int argc, const char* const* argv, cRestartHost& host, cSwapFiles& files);

}  // namespace hv

#endif  // HV_RESTART_RESTART_RUN_H_
