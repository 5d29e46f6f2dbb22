#include "core/file/whole_file.h"
#include "core/system_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hv {

namespace {

// `name` is the file as messages show it: a path in quotes, or "standard input".
Status Failure(const std::string& name, const std::string& what) {
  return Status::Failure(Where::kFile, name + " " + what);
}

Status ReadFailure(const std::string& name, int error) {
  if (error == EISDIR) return Failure(name, "is a folder, not a file");
  return Failure(name, std::string("cannot be read: ") + SystemReason(error));
}

// Reads `fd` to its end into *content (left as it was on a failure).
Status ReadToEnd(int fd, const std::string& name, size_t max_bytes, std::string* content) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return ReadFailure(name, errno);
    }
    if (text.size() + static_cast<size_t>(got) > max_bytes) {
      return Failure(name, "is larger than " + std::to_string(max_bytes) + " bytes");
    }
    text.append(buffer, static_cast<size_t>(got));
  }
  *content = std::move(text);
  return Status::Ok();
}

bool SameState(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

Status ReadWholeFile(const std::string& path, size_t max_bytes, std::string* content) {
  const std::string name = "\"" + path + "\"";
  // Not blocking, so that opening a FIFO nobody writes to returns at once and is refused.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) return Failure(name, "does not exist");
    return Status(Where::kFile, kCannotOpenFile,
                  name + " cannot be opened: " + SystemReason(error));
  }
  struct stat before {};
  Status status;
  std::string text;
  if (fstat(fd, &before) != 0) {
    status = ReadFailure(name, errno);
  } else if (S_ISDIR(before.st_mode)) {
    status = Failure(name, "is a folder, not a file");
  } else if (!S_ISREG(before.st_mode)) {
    status = Failure(name, "is not a regular file (a FIFO, device or socket)");
  } else if (static_cast<unsigned long long>(before.st_size) > max_bytes) {
    status = Failure(name, "is larger than " + std::to_string(max_bytes) + " bytes");
  } else {
    status = ReadToEnd(fd, name, max_bytes, &text);
    struct stat after {};
    // A file rewritten or cut short while it was read would hand over a part of it as if it
    // were the whole.
    if (status.ok() && (fstat(fd, &after) != 0 || !SameState(before, after) ||
                        text.size() != static_cast<size_t>(after.st_size))) {
      status = Failure(name, "changed while it was read; try again once it is written");
    }
  }
  close(fd);
  if (status.ok()) *content = std::move(text);
  return status;
}

Status ReadWholeStream(int fd, const std::string& name, size_t max_bytes, std::string* content) {
  return ReadToEnd(fd, name, max_bytes, content);
}

}  // namespace hv
