#include "core/file/write_all.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core/system_error.h"

namespace hv {

Status WriteAll(int fd, const void* data, size_t size, std::string_view what) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, next, size);
    if (n < 0 && errno == EINTR) continue;
    const std::string doing = "cannot write " + std::string(what);
    if (n < 0) return SystemError(Where::kFile, doing, errno, kCannotOpenFile);
    if (n == 0) return Status(Where::kFile, kCannotOpenFile, doing + ": nothing was written");
    next += n;
    size -= static_cast<size_t>(n);
  }
  return Status::Ok();
}

mode_t UserDocumentMode() {
  // umask can only be read by setting it; the two calls are back to back, and the program
  // makes no file between them.
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace hv
