#include "core/file/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/file/write_all.h"
#include "core/status.h"
#include "core/system_error.h"

namespace hv {

namespace {

// Temporary files of the client start "VHX" (hidden here, being work in progress).
constexpr const char* kTemporaryPrefix = ".VHX";
// A refusal of the platform, read from errno: what was being done, to which path, and why.
hv::Status Refused(const char* doing, const std::string& path) {
  return SystemError(Where::kFile, std::string(doing) + " " + path, errno, kCannotOpenFile);
}

hv::Status MissingPath() {
  return hv::Status(hv::Where::kFile, hv::kMissingArgument, "no path given");
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

hv::Status cFileReplacement::Commit(mode_t mode) {
  if (fd_ < 0) {
    return hv::Status(hv::Where::kFile, hv::kCannotOpenFile, "no temporary file for " + target_);
  }
  bool flushed = (mode == 0 || fchmod(fd_, mode) == 0) && fsync(fd_) == 0;
  if (close(fd_) != 0) flushed = false;
  fd_ = -1;
  if (!flushed) return Refused("cannot flush", temporary_);
  hv::Status renamed = RenameOverTarget();
  if (!renamed.ok()) return renamed;
  SyncFolder();
  return hv::Status::Ok();
}

hv::Status cFileReplacement::RenameOverTarget() {
  if (!IsOpen()) {
    return hv::Status(hv::Where::kFile, hv::kCannotOpenFile, "no temporary file for " + target_);
  }
  if (rename(temporary_.c_str(), target_.c_str()) != 0) return Refused("cannot replace", target_);
  renamed_ = true;
  return hv::Status::Ok();
}

void cFileReplacement::SyncFolder() const {
  const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // The rename has happened either way; a folder that cannot be synced only leaves it less
  // sure to outlive a power cut, and the file's own data was synced before the rename.
  (void)fsync(fd);
  close(fd);
}

hv::Status ReplaceFileWithBytes(const char* path, const void* data, size_t size, mode_t mode) {
  if (path == nullptr || *path == '\0') return MissingPath();
  if (data == nullptr && size > 0) {
    return hv::Status(hv::Where::kFile, hv::kMissingArgument, "no bytes given");
  }
  cFileReplacement replacement(path, kTemporaryPrefix);
  if (!replacement.IsOpen()) return Refused("cannot write beside", path);
  hv::Status written = WriteAll(replacement.Descriptor(), data, size, replacement.TemporaryPath());
  if (!written.ok()) return written;
  return replacement.Commit(mode);
}

hv::Status ReplaceFileWithCopy(const char* from, const char* to) {
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return MissingPath();
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return Refused("cannot read", from);
  cFileReplacement replacement(to, kTemporaryPrefix);
  if (!replacement.IsOpen()) {
    hv::Status refused = Refused("cannot write beside", to);
    close(in);
    return refused;
  }
  const int out = replacement.Descriptor();
  bool written = true;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) written = false;
    if (n <= 0) break;
    if (!WriteAll(out, buffer, static_cast<size_t>(n), replacement.TemporaryPath()).ok()) {
      written = false;
      break;
    }
  }
  if (!written) {
    hv::Status refused = Refused("cannot copy to", replacement.TemporaryPath());
    close(in);
    return refused;
  }
  close(in);
  return replacement.Commit(kSharedFileMode);
}

hv::Status MoveFileReplacing(const char* from, const char* to, bool* copied_only) {
  if (copied_only != nullptr) *copied_only = false;
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return MissingPath();
  if (rename(from, to) == 0) return hv::Status::Ok();
  if (errno != EXDEV) {
    // The system's reason may be either path's (a missing target folder most often): name
    // both, keeping the reason across the text's allocation.
    const int reason = errno;
    const std::string doing = "cannot move " + std::string(from) + " to";
    errno = reason;
    return Refused(doing.c_str(), to);
  }
  hv::Status copied = ReplaceFileWithCopy(from, to);
  if (!copied.ok()) return copied;
  if (unlink(from) != 0) {
    if (copied_only != nullptr) *copied_only = true;
    return Refused("copied but cannot delete", from);
  }
  return hv::Status::Ok();
}

bool SameFile(const char* a, const char* b) {
  struct stat sa;
  struct stat sb;
  if (a == nullptr || b == nullptr || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace hv
