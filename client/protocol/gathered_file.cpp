#include "client/protocol/gathered_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/status.h"

cGatheredFile::~cGatheredFile() {
  if (fd_ >= 0) ::close(fd_);
}

void cGatheredFile::Adopt(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

int32_t cGatheredFile::CreateFresh(const char* path) {
  Adopt(-1);
  if (path == nullptr) return hv::kMissingArgument;
  // Removing first instead of truncating: a new file needs no truncation (see the header),
  // and whatever was planted at the name is replaced rather than written through.
  if (::unlink(path) != 0 && errno != ENOENT) return hv::kCannotOpenFile;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return hv::kCannotOpenFile;
  fd_ = fd;
  return hv::kOk;
}

int32_t cGatheredFile::OpenForAppend(const char* path) {
  Adopt(-1);
  if (path == nullptr) return hv::kMissingArgument;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return hv::kCannotOpenFile;
  fd_ = fd;
  return hv::kOk;
}

int32_t cGatheredFile::Write(const uint8_t* data, uint32_t n) {
  if (fd_ < 0) return hv::kCannotOpenFile;
  while (n > 0) {
    const ssize_t written = ::write(fd_, data, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      return hv::kCannotOpenFile;
    }
    data += written;
    n -= static_cast<uint32_t>(written);
  }
  return hv::kOk;
}

int32_t cGatheredFile::Close() {
  if (fd_ < 0) return hv::kOk;
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? hv::kOk : hv::kCannotOpenFile;
}
