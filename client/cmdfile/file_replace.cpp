#include "client/cmdfile/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/status.h"

namespace {

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

// A temporary file beside `path` (same folder, so the final rename stays on one file system).
int OpenTemporaryBeside(const std::string& path, std::string* temporary) {
  std::string folder = ".";
  std::string::size_type slash = path.rfind('/');
  if (slash != std::string::npos) folder = slash == 0 ? "/" : path.substr(0, slash);
  std::string pattern = folder + "/.VHX" + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  *temporary = name.data();
  return fd;
}

// Flushes and closes fd, then renames the temporary file over the target; removes the
// temporary file on any failure.
int32_t FinishReplace(int fd, bool written, const std::string& temporary, const char* path) {
  // mkstemp makes the file 0600; a replaced file is one the user reads with other programs.
  if (written) written = fchmod(fd, 0644) == 0 && fsync(fd) == 0;
  if (close(fd) != 0) written = false;
  if (!written || rename(temporary.c_str(), path) != 0) {
    unlink(temporary.c_str());
    return hv::kCannotOpenFile;
  }
  return hv::kOk;
}

}  // namespace

int32_t ReplaceFileWithBytes(const char* path, const void* data, size_t size) {
  if (path == nullptr || *path == '\0' || (data == nullptr && size > 0)) {
    return hv::kMissingArgument;
  }
  std::string temporary;
  int fd = OpenTemporaryBeside(path, &temporary);
  if (fd < 0) return hv::kCannotOpenFile;
  bool written = WriteAll(fd, static_cast<const char*>(data), size);
  return FinishReplace(fd, written, temporary, path);
}

int32_t ReplaceFileWithCopy(const char* from, const char* to) {
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') {
    return hv::kMissingArgument;
  }
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return hv::kCannotOpenFile;
  std::string temporary;
  int out = OpenTemporaryBeside(to, &temporary);
  if (out < 0) {
    close(in);
    return hv::kCannotOpenFile;
  }
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
  return FinishReplace(out, written, temporary, to);
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
