// Result codes of the update engine, beside the program-wide ones of core/status.h. The
// engine returns them as hv::Status from Where::kUpdate: some share their number with a
// program-wide code of another meaning (0x80041001, 0x80042003), and the module tells them
// apart.
#ifndef HV_CLIENT_UPDATE_UPDATE_CODES_H_
#define HV_CLIENT_UPDATE_UPDATE_CODES_H_

#include <cstdint>
#include <string>
#include <utility>

#include "core/status.h"

namespace hv {

// The value reader met the end of the file before any character of a value.
constexpr int32_t kNoValue = 0x41007;

constexpr int32_t kCannotOpenSession = Code(0x80041001);  // Internet handle or FTP connection
constexpr int32_t kRestartNotStarted = Code(0x8004100F);
constexpr int32_t kUnknownDownloadType = Code(0x80041020);
constexpr int32_t kDownloadFailed = Code(0x80041024);
constexpr int32_t kHttpStatusNotOk = Code(0x8004105E);
constexpr int32_t kUpdatesLocked = Code(0x80042002);  // lock.dat, or this client excluded
constexpr int32_t kNoProgressDialog = Code(0x80042003);
// A downloaded file is not what the signed version file says it must be (hash or signature),
// or this build has no key to check it with.
constexpr int32_t kNotAuthentic = Code(0x80042004);
// The site offered a release this client must not install: an older build than the running
// one, a version file older than one already accepted or meant for another channel, or one
// that differs from the version file the user decided on.
constexpr int32_t kRollbackRefused = Code(0x80042005);
// This build cannot install updates: it has no publisher key, or the system's package manager
// owns the program file.
constexpr int32_t kCannotInstall = Code(0x80042006);
// A file ran past its listed size (or past what any such file may be) while it streamed in.
constexpr int32_t kFileTooLarge = Code(0x80042007);
// The site's signed release list has expired: the site is out of date (or it is being held
// back on an old release).
constexpr int32_t kSiteExpired = Code(0x80042008);
// The release is built for another operating system or machine than this one.
constexpr int32_t kWrongPlatform = Code(0x80042009);
constexpr int32_t kSessionOutOfMemory = Code(0x8007000E);

// A status of the update engine with `code`.
[[nodiscard]] inline Status UpdateStatus(int32_t code) { return Status(Where::kUpdate, code); }

// A failure of the update engine with `code` and what people are told of it.
[[nodiscard]] inline Status UpdateFailure(int32_t code, std::string message) {
  return Status(Where::kUpdate, code, std::move(message));
}

// `status` told in `message` instead of its own words, when it failed and there are words to
// give: a lower step's failure that the engine can say better.
[[nodiscard]] inline Status WithMessage(const Status& status, std::string message) {
  if (status.ok() || message.empty()) return status;
  return Status(status.where(), status.code(), std::move(message));
}

// True when `status` is the update engine's `code`: the same number from another module
// means something else.
[[nodiscard]] inline bool IsUpdateCode(const Status& status, int32_t code) {
  return status.Is(Where::kUpdate, code);
}

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_UPDATE_CODES_H_
