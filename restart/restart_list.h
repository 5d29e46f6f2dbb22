// The list of an update's files that the client hands over (see restart.1): which new file in
// the staging folder replaces which file in the program folder, and the SHA-256 it must have.
#ifndef HV_RESTART_RESTART_LIST_H_
#define HV_RESTART_RESTART_LIST_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/string/plain_path.h"

namespace hv {

// The list's name in the staging folder, as the client writes it.
constexpr const char* kRestartListName = "restart.list";
// The list's first line.
constexpr std::string_view kRestartListHeader = "hearthview restart list 1";
// Lists past these are not an update the client would hand over: refused unread.
constexpr size_t kMaxRestartListBytes = 1 << 20;
constexpr size_t kMaxRestartListFiles = 4096;

struct cListedFile {
  std::array<uint8_t, 32> sha256{};
  std::string staged;  // relative to the staging folder (the list's own)
  std::string target;  // relative to the program folder
};

// Reads `text`. A failure, its message saying which line and why, for anything but a header
// and lines of 64 hexadecimal digits, a plain staged path and a plain target path, separated
// by tabs; a target named twice is refused too, since one of its files would be lost.
[[nodiscard]] Status ParseRestartList(std::string_view text, std::vector<cListedFile>* files);

// Opens the list `name` in the open folder `folder` without following a link, requires a
// regular file of this user no larger than kMaxRestartListBytes, and parses it. A failure
// says why.
[[nodiscard]] Status ReadRestartListAt(int folder, const std::string& name,
                                       std::vector<cListedFile>* files);

}  // namespace hv

#endif  // HV_RESTART_RESTART_LIST_H_
