// The one way a refusal of the operating system becomes a Status: what was being done, and
// the system's own words for errno. Every module builds its failures here instead of calling
// strerror itself, so the words read alike everywhere and no thread reads another's buffer.
#ifndef HV_CORE_SYSTEM_ERROR_H_
#define HV_CORE_SYSTEM_ERROR_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/status.h"

namespace hv {

// The system's words for `error` ("No such file or directory"). strerror_r, not strerror:
// the history writer, the bridge's threads and the window may all fail at once.
[[nodiscard]] inline std::string SystemReason(int error) {
  char buffer[128];
  // The GNU form returns the text, which is either in `buffer` or a constant of the library.
  return std::string(strerror_r(error, buffer, sizeof buffer));
}

// A failure of `where`: "<context>: <the system's words>" (the words alone without a context,
// for a caller that puts them into a sentence of its own), with the module's `code` (kFailed
// when the module has no number of its own for it). Pass errno as read right after the call
// that failed: anything in between may change it.
[[nodiscard]] inline Status SystemError(Where where, std::string_view context, int error,
                                        int32_t code = kFailed) {
  std::string message(context);
  if (!message.empty()) message += ": ";
  message += SystemReason(error);
  return Status(where, code, std::move(message));
}

}  // namespace hv

#endif  // HV_CORE_SYSTEM_ERROR_H_
