// Starting the restart helper: the command line it is given and the process start. The
// helper is started directly (no shell sees the paths), in the program folder, and lives on
// after the client has quit.
#ifndef HV_CLIENT_UPDATE_RESTART_LAUNCH_H_
#define HV_CLIENT_UPDATE_RESTART_LAUNCH_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hv {

// The helper's file name beside the program.
constexpr const char* kRestartProgramName = "restart";

// The restart command line "/F="%s" /D=10000 /C="%s" /T="%s"": launch `program` afterwards,
// move `new_file` onto `program`.
std::string RestartCommandLine(const std::string& program, const std::string& new_file);

// The command line as the helper's arguments: split at the spaces outside double quotes,
// the quotes kept, so the helper reads back exactly the text above.
std::vector<std::string> RestartArguments(const std::string& command_line);

// Starts `program` with `arguments` in `directory`. 0, or kRestartNotStarted.
using cProcessStarter =
    std::function<int32_t(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& directory)>;
[[nodiscard]] int32_t StartDetachedProcess(const std::string& program,
                                           const std::vector<std::string>& arguments,
                                           const std::string& directory);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_RESTART_LAUNCH_H_
