// The command line of hearthview, read before the toolkit starts, so that --help and
// --version work without a desktop and a mistake is reported in words rather than by a
// toolkit that cannot start. The client itself takes no settings from the command line
// (they live in its setup); the toolkit's own options (-platform, -display, -style ...) are
// let through to it.
#ifndef HV_CLIENT_SHELL_APP_STARTUP_OPTIONS_H_
#define HV_CLIENT_SHELL_APP_STARTUP_OPTIONS_H_

#include <functional>
#include <string>
#include <vector>

namespace hv {

enum class eStartupAction { kRun, kShowHelp, kShowVersion, kBadUsage };

struct cStartupOptions {
  eStartupAction action = eStartupAction::kRun;
  std::string error;           // kBadUsage: what was wrong, one line
  std::string platform;        // the toolkit's -platform value, when given
  bool display_given = false;  // the toolkit's -display was given
};

// Exit codes of the program when it does not run.
constexpr int kExitNoGraphicalSession = 1;
constexpr int kExitBadUsage = 2;

// `arguments` without the program name.
cStartupOptions ParseStartupOptions(const std::vector<std::string>& arguments);

std::string UsageText();
std::string VersionText();

// Looks an environment variable up; null when it is not set.
using cEnvironmentLookup = std::function<const char*(const char*)>;

// True when the toolkit has a desktop to show its windows on: DISPLAY or WAYLAND_DISPLAY is
// set (or -display given), or the platform chosen by -platform or QT_QPA_PLATFORM is one
// that needs none (offscreen, vnc, linuxfb ...). Without one the toolkit aborts, so the
// program says so and ends instead.
bool GraphicalSessionAvailable(const cStartupOptions& options, const cEnvironmentLookup& lookup);

// The message for a missing graphical session, one line.
std::string NoGraphicalSessionText();

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_STARTUP_OPTIONS_H_
