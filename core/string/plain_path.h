// The one rule for a relative path that another party chose (an update site, a restart list):
// plain names below a folder, so the path can never name anything outside it.
#ifndef HV_CORE_STRING_PLAIN_PATH_H_
#define HV_CORE_STRING_PLAIN_PATH_H_

#include <string_view>

namespace hv {

// True for plain names separated by single `/`: not empty, not absolute, no empty, "." or
// ".." part, and no NUL byte (which the system would take as the end of the path).
[[nodiscard]] bool IsPlainRelativePath(std::string_view path);

}  // namespace hv

#endif  // HV_CORE_STRING_PLAIN_PATH_H_
