// Writing a whole buffer to a descriptor, and the permissions a file the user keeps gets.
#ifndef HV_CORE_FILE_WRITE_ALL_H_
#define HV_CORE_FILE_WRITE_ALL_H_

#include <sys/types.h>

#include <cstddef>
#include <string_view>

#include "core/status.h"

namespace hv {

// Writes all `size` bytes of `data` to `fd`, through short writes and interrupted calls. A
// failure (where: kFile, kCannotOpenFile) says "cannot write <what>: <the system's words>",
// or "nothing was written" when the system took no byte without saying why (a file at the
// process's size limit, a closed pipe with SIGPIPE ignored).
[[nodiscard]] Status WriteAll(int fd, const void* data, size_t size, std::string_view what);

// The mode of a new file of the user's own (an export, a document): what any new file of
// theirs gets under their umask, not the 0600 of a private temporary file.
[[nodiscard]] mode_t UserDocumentMode();

}  // namespace hv

#endif  // HV_CORE_FILE_WRITE_ALL_H_
