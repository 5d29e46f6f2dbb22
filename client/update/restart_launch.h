// Starting the restart helper: the command line it is given and the process start. The
// helper is started directly (no shell sees the paths), in the program folder, and lives on
// after the client has quit.
#ifndef HV_CLIENT_UPDATE_RESTART_LAUNCH_H_
#define HV_CLIENT_UPDATE_RESTART_LAUNCH_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/status.h"

namespace hv {

// The restart command line "/F="%s" /D=10000 /C="%s" /T="%s" /P=%d": launch `program`
// afterwards, move `new_file` onto `program` once the process `pid` (the client that hands
// over) has ended, waiting 10 s at most.
std::string RestartCommandLine(const std::string& program, const std::string& new_file,
                               int32_t pid);

// The command line as the helper's arguments: split at the spaces outside double quotes,
// the quotes kept, so the helper reads back exactly the text above.
std::vector<std::string> RestartArguments(const std::string& command_line);

// Starts `program` with `arguments` in `directory`. Fails with kRestartNotStarted
// (Where::kUpdate) when the system does not start it, the message saying why.
using cProcessStarter =
    std::function<Status(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory)>;
[[nodiscard]] Status StartDetachedProcess(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          const std::string& directory);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_RESTART_LAUNCH_H_
