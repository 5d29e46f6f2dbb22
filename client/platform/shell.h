// cShell: what the client asks of the desktop shell: open a document or web address with
// the user's chosen program, and start a program with parameters in a directory.
#ifndef HV_CLIENT_PLATFORM_SHELL_H_
#define HV_CLIENT_PLATFORM_SHELL_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cShell {
 public:
  virtual ~cShell() = default;

  // Opens a file or URL the way the desktop opens it ("open" verb). Ok once the opener has
  // been started; kNoOpener when the desktop has no program that opens things (so the user
  // can be told what to do by hand); kCannotOpenFile when it cannot be started otherwise;
  // kMissingArgument for null or empty text. The opener runs on its own; its result is not
  // awaited.
  [[nodiscard]] virtual Status Open(const char* file_or_url) = 0;

  // Performs `verb` on `file`. With "open" (or no verb) a program file is started directly
  // with `parameters` split into its arguments (Windows command-line quoting, never through
  // a shell) in `directory` when that exists; anything else (a document, a URL) is handed
  // to Open. Other verbs are not guessed at: kUnexpectedType, nothing is started.
  // `show_command` is the window show state the caller asked for; desktops here decide that
  // themselves, so it is accepted and not used. Ok, or kCannotOpenFile when nothing could
  // be started. Failures are the window's (Where::kUi), since it is the one that tells the user.
  [[nodiscard]] virtual Status Execute(const char* verb, const char* file, const char* parameters,
                                       const char* directory, int32_t show_command) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_SHELL_H_
