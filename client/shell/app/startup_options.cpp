#include "client/shell/app/startup_options.h"

#include <algorithm>

#include "client/update/update_constants.h"

namespace hv {

namespace {

// The toolkit's options that take a value, and those that do not.
constexpr const char* kToolkitValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",   "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "display",       "geometry", "session",
    "style",       "stylesheet",         "name",          "title"};
constexpr const char* kToolkitFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

bool IsOneOf(const std::string& name, const auto& names) {
  for (const char* candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

// The platforms that draw on a desktop of their own and so need one to be there.
bool PlatformNeedsDisplay(const std::string& name) {
  return name.empty() || name.rfind("xcb", 0) == 0 || name.rfind("wayland", 0) == 0;
}

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

}  // namespace

cStartupOptions ParseStartupOptions(const std::vector<std::string>& arguments) {
  cStartupOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h" || argument == "-?") {
      options.action = eStartupAction::kShowHelp;
      return options;
    }
    if (argument == "--version") {
      options.action = eStartupAction::kShowVersion;
      return options;
    }
    if (argument.size() < 2 || argument[0] != '-') {
      options.action = eStartupAction::kBadUsage;
      options.error = "unexpected argument \"" + argument + "\"";
      return options;
    }
    // The toolkit takes its options with one dash or two, and a value after '=' or as the
    // next argument.
    std::string name = argument.substr(argument[1] == '-' ? 2 : 1);
    std::string value;
    bool has_value = false;
    const size_t equals = name.find('=');
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      has_value = true;
    }
    if (IsOneOf(name, kToolkitValueOptions)) {
      if (!has_value) {
        if (i + 1 >= arguments.size()) {
          options.action = eStartupAction::kBadUsage;
          options.error = "option \"" + argument + "\" needs a value";
          return options;
        }
        value = arguments[++i];
      }
      if (name == "platform") options.platform = value;
      if (name == "display") options.display_given = true;
      continue;
    }
    if (!has_value && IsOneOf(name, kToolkitFlags)) continue;
    options.action = eStartupAction::kBadUsage;
    options.error = "unknown option \"" + argument + "\"";
    return options;
  }
  return options;
}

std::string UsageText() {
  return "Usage: hearthview [--help | --version]\n"
         "The Varnholt (TM) desktop client: shows and controls your house through your\n"
         "home-automation server. Connections and everything else are set up in its windows.\n"
         "\n"
         "  --help      show this text and exit\n"
         "  --version   show the version and exit\n"
         "\n"
         "The toolkit's own options (-platform NAME, -display DISPLAY, -style NAME ...) are\n"
         "passed on to it. hearthview needs a graphical session (DISPLAY or WAYLAND_DISPLAY).\n";
}

std::string VersionText() {
  return std::string("hearthview (Varnholt (TM) Client) ") + ThisVersionText() + ", build " +
         ThisBuildText() + "\n";
}

bool GraphicalSessionAvailable(const cStartupOptions& options, const cEnvironmentLookup& lookup) {
  if (options.display_given || IsSet(lookup("DISPLAY")) || IsSet(lookup("WAYLAND_DISPLAY"))) {
    return true;
  }
  std::string platforms = options.platform;
  if (platforms.empty() && IsSet(lookup("QT_QPA_PLATFORM"))) platforms = lookup("QT_QPA_PLATFORM");
  // A list of platforms separated by ';' is tried in order; each may carry ":options".
  size_t start = 0;
  while (start <= platforms.size()) {
    size_t end = platforms.find(';', start);
    if (end == std::string::npos) end = platforms.size();
    std::string name = platforms.substr(start, end - start);
    name.resize(std::min(name.size(), name.find(':')));
    if (!PlatformNeedsDisplay(name)) return true;
    start = end + 1;
  }
  return false;
}

std::string NoGraphicalSessionText() {
  return "hearthview: needs a graphical session, and none was found (neither DISPLAY nor "
         "WAYLAND_DISPLAY is set). Start it from your desktop.\n";
}

}  // namespace hv
