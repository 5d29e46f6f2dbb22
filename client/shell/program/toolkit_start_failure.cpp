#include "client/shell/program/toolkit_start_failure.h"

#include "core/string/plain_text.h"

namespace hv {

namespace {

// The display named after "could not connect to display" (the X11 platform's words), or
// empty when no message says that.
bool FindX11Display(const std::vector<std::string>& messages, std::string* name) {
  static const std::string kWords = "could not connect to display";
  for (const std::string& message : messages) {
    const size_t at = message.find(kWords);
    if (at == std::string::npos) continue;
    *name = Trim(message.substr(at + kWords.size()), " \t\"\n");
    return true;
  }
  return false;
}

bool Mentions(const std::vector<std::string>& messages, const char* words) {
  for (const std::string& message : messages) {
    if (message.find(words) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::string ToolkitStartFailureText(const std::vector<std::string>& toolkit_messages,
                                    const char* display, const char* wayland_display) {
  std::string x11_name;
  const bool x11_failed = FindX11Display(toolkit_messages, &x11_name);
  if (x11_failed && x11_name.empty() && display != nullptr) x11_name = display;
  // The toolkit tries Wayland first when it is named, then falls back to X11 with whatever
  // DISPLAY holds (perhaps nothing): the user hears of each display that was really named.
  std::string wayland_name;
  if (Mentions(toolkit_messages, "wl_display")) {
    wayland_name =
        wayland_display != nullptr && *wayland_display != '\0' ? wayland_display : "wayland-0";
  }
  if (!wayland_name.empty()) {
    std::string text = "hearthview: cannot connect to the Wayland display " + wayland_name;
    if (!x11_name.empty()) text += " nor to the display " + x11_name;
    return text + "\n";
  }
  if (x11_failed) {
    return "hearthview: cannot connect to the display " +
           (x11_name.empty() ? "(DISPLAY is not set)" : x11_name) + "\n";
  }
  // A cause we cannot name (a platform plugin that is missing or cannot load): the toolkit's
  // own words are the only account there is.
  std::string text = "hearthview: cannot start the graphical session; the toolkit said:\n";
  for (const std::string& message : toolkit_messages) {
    size_t start = 0;
    while (start < message.size()) {
      size_t end = message.find('\n', start);
      if (end == std::string::npos) end = message.size();
      if (end > start) text += "  " + message.substr(start, end - start) + "\n";
      start = end + 1;
    }
  }
  return text;
}

}  // namespace hv
