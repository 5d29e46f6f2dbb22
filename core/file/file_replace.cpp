#include "core/file/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/status.h"

namespace hv {

namespace {

// Temporary files of the client start "VHX" (hidden here, being work in progress).
constexpr const char* kTemporaryPrefix = ".VHX";
// mkstemp makes the file 0600; a replaced file is one the user reads with other programs.
constexpr mode_t kReplacedFileMode = 0644;

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

cFileReplacement::cFileReplacement(const std::string& target, const std::string& prefix)
    : target_(target) {
  const std::string::size_type slash = target.rfind('/');
  folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  // The name is made in place: once the file exists nothing may throw before the destructor
  // can answer for it, or a failed allocation would leave it behind.
  std::string pattern = folder_ + "/" + prefix + "XXXXXX";
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ >= 0) temporary_ = std::move(pattern);
}

cFileReplacement::~cFileReplacement() {
  CloseDescriptor();
  if (IsOpen() && !renamed_ && !abandoned_) unlink(temporary_.c_str());
}

void cFileReplacement::CloseDescriptor() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

int32_t cFileReplacement::Commit(mode_t mode) {
  if (fd_ < 0) return hv::kCannotOpenFile;
  bool flushed = (mode == 0 || fchmod(fd_, mode) == 0) && fsync(fd_) == 0;
  if (close(fd_) != 0) flushed = false;
  fd_ = -1;
  if (!flushed || RenameOverTarget() != hv::kOk) return hv::kCannotOpenFile;
  SyncFolder();
  return hv::kOk;
}

int32_t cFileReplacement::RenameOverTarget() {
  if (!IsOpen() || rename(temporary_.c_str(), target_.c_str()) != 0) return hv::kCannotOpenFile;
  renamed_ = true;
  return hv::kOk;
}

void cFileReplacement::SyncFolder() const {
  const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)fsync(fd);
  close(fd);
}

int32_t ReplaceFileWithBytes(const char* path, const void* data, size_t size) {
  if (path == nullptr || *path == '\0' || (data == nullptr && size > 0)) {
    return hv::kMissingArgument;
  }
  cFileReplacement replacement(path, kTemporaryPrefix);
  if (!replacement.IsOpen()) return hv::kCannotOpenFile;
  if (!WriteAll(replacement.Descriptor(), static_cast<const char*>(data), size)) {
    return hv::kCannotOpenFile;
  }
  return replacement.Commit(kReplacedFileMode);
}

int32_t ReplaceFileWithCopy(const char* from, const char* to) {
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') {
    return hv::kMissingArgument;
  }
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return hv::kCannotOpenFile;
  cFileReplacement replacement(to, kTemporaryPrefix);
  if (!replacement.IsOpen()) {
    close(in);
    return hv::kCannotOpenFile;
  }
  const int out = replacement.Descriptor();
  bool written = true;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) written = false;
    if (n <= 0) break;
    if (!WriteAll(out, buffer, static_cast<size_t>(n))) {
      written = false;
      break;
    }
  }
  close(in);
  if (!written) return hv::kCannotOpenFile;
  return replacement.Commit(kReplacedFileMode);
}

int32_t MoveFileReplacing(const char* from, const char* to, bool* copied_only) {
  if (copied_only != nullptr) *copied_only = false;
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') {
    return hv::kMissingArgument;
  }
  if (rename(from, to) == 0) return hv::kOk;
  if (errno != EXDEV) return hv::kCannotOpenFile;
  int32_t rc = ReplaceFileWithCopy(from, to);
  if (rc < 0) return rc;
  if (unlink(from) != 0) {
    if (copied_only != nullptr) *copied_only = true;
    return hv::kCannotOpenFile;
  }
  return hv::kOk;
}

bool SameFile(const char* a, const char* b) {
  struct stat sa;
  struct stat sb;
  if (a == nullptr || b == nullptr || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace hv
