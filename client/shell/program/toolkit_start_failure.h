// What the program tells the user when the toolkit cannot start its graphical session. The
// toolkit's own account (a note that reinstalling may help, the list of its platform
// plugins) speaks to a developer; the usual cause, a display that does not answer, is said
// in one line of our own instead.
#ifndef HV_CLIENT_SHELL_PROGRAM_TOOLKIT_START_FAILURE_H_
#define HV_CLIENT_SHELL_PROGRAM_TOOLKIT_START_FAILURE_H_

#include <string>
#include <vector>

namespace hv {

// `toolkit_messages`: what the toolkit said while it started, its last (fatal) message
// included, in order. `display` and `wayland_display`: those variables of the environment,
// null when unset. The text ends with a newline; it is one line when the cause is known,
// else our line and then the toolkit's messages, indented.
std::string ToolkitStartFailureText(const std::vector<std::string>& toolkit_messages,
                                    const char* display, const char* wayland_display);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_PROGRAM_TOOLKIT_START_FAILURE_H_
