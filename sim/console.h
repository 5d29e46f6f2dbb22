// The operator console: one command per line (from standard input or the control port).
// Server commands (message, launch, faults, shutdown) are handled here; anything else is run
// as a command of the command-file language against the house. The commands are listed in
// HelpText() (options.h).
#ifndef HV_SIM_CONSOLE_H_
#define HV_SIM_CONSOLE_H_

#include <string>

namespace hv::sim {

class Server;

// Runs one console line and returns the reply, one or more lines each ended by "\n"; empty
// for a blank line.
std::string RunConsoleCommand(Server& server, const std::string& line);

}  // namespace hv::sim

#endif  // HV_SIM_CONSOLE_H_
