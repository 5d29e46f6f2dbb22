#include "restart/program_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace hv {

namespace {

// Copies `from` into a new file beside `to`, then links it in under `to` (which fails when
// `to` exists, as a rename without replacing would) and removes `from`.
int CopyAcross(const char* from, const char* to) {
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat info {};
  if (fstat(in, &info) != 0) {
    int error = errno;
    close(in);
    return error;
  }
  std::string temporary = std::string(to) + ".XXXXXX";
  int out = mkostemp(temporary.data(), O_CLOEXEC);
  if (out < 0) {
    int error = errno;
    close(in);
    return error;
  }
  int error = 0;
  char buffer[65536];
  while (error == 0) {
    ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0) {
      if (errno != EINTR) error = errno;
      continue;
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got && error == 0;) {
      ssize_t wrote = write(out, buffer + done, static_cast<size_t>(got - done));
      if (wrote < 0) {
        if (errno != EINTR) error = errno;
      } else {
        done += wrote;
      }
    }
  }
  if (error == 0 && fchmod(out, info.st_mode & 07777) != 0) error = errno;
  if (error == 0 && fsync(out) != 0) error = errno;
  if (close(out) != 0 && error == 0) error = errno;
  close(in);
  if (error == 0 && link(temporary.c_str(), to) != 0) error = errno;
  unlink(temporary.c_str());
  if (error != 0) return error;
  // The new name holds the whole file: a source that cannot be removed is only left over.
  unlink(from);
  return 0;
}

// 0 or the errno of a step, as the status the interface gives.
Status Outcome(int error) { return error == 0 ? Status::Ok() : SystemFailure(error); }

}  // namespace

Status SystemFailure(int error) { return Status::Failure(Where::kRestart, std::strerror(error)); }

bool cPosixProgramFiles::IsFile(const char* path) {
  struct stat info {};
  return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool cPosixProgramFiles::Exists(const char* path) {
  struct stat info {};
  return lstat(path, &info) == 0;
}

bool cPosixProgramFiles::SameFile(const char* a, const char* b) {
  struct stat first {};
  struct stat second {};
  return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

Status cPosixProgramFiles::Remove(const char* path) {
  return Outcome(unlink(path) == 0 ? 0 : errno);
}

Status cPosixProgramFiles::MoveNoReplace(const char* from, const char* to) {
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return Status::Ok();
  int error = errno;
  if (error == EINVAL || error == ENOSYS) {
    // A file system without the no-replace rename: test first, then rename.
    if (Exists(to)) return SystemFailure(EEXIST);
    if (rename(from, to) == 0) return Status::Ok();
    error = errno;
  }
  return Outcome(error == EXDEV ? CopyAcross(from, to) : error);
}

Status cPosixProgramFiles::CopyMode(const char* model, const char* path) {
  struct stat info {};
  if (stat(model, &info) != 0) return SystemFailure(errno);
  return Outcome(chmod(path, info.st_mode & 0777) == 0 ? 0 : errno);
}

Status cPosixProgramFiles::MakeRunnable(const char* path) {
  struct stat info {};
  if (stat(path, &info) != 0) return SystemFailure(errno);
  mode_t mode = info.st_mode & 0777;
  mode |= (mode & 0444) >> 2;
  return Outcome(chmod(path, mode) == 0 ? 0 : errno);
}

void cPosixProgramFiles::SyncDirectory(const char* directory) {
  int fd = open(directory[0] != '\0' ? directory : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace hv
