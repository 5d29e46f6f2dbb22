#include "restart/swap_files.h"
#include "core/system_error.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace hv {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

Status Outcome(bool done) { return done ? Status::Ok() : SystemFailure(errno); }

// The names in an open folder (without "." and ".."); the folder's own descriptor is kept.
bool ListFolder(int folder, std::vector<std::string>* names) {
  const int copy = openat(folder, ".", kFolderFlags);
  if (copy < 0) return false;
  DIR* dir = fdopendir(copy);
  if (dir == nullptr) {
    close(copy);
    return false;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  closedir(dir);
  return true;
}

}  // namespace

Status SystemFailure(int error) { return SystemError(Where::kRestart, {}, error); }

void cFd::Reset(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
}

cFd OpenFolderPath(const std::string& path) {
  return cFd(open(path.empty() ? "." : path.c_str(), kFolderFlags));
}

cFd OpenFolderAt(int folder, const std::string& name) {
  return cFd(openat(folder, name.c_str(), kFolderFlags));
}

cFd OpenFileAt(int folder, const std::string& name) {
  return cFd(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

Status cSwapFiles::SetMode(int fd, mode_t mode) {
  if (Status step = BeforeStep("set mode"); !step.ok()) return step;
  return Outcome(fchmod(fd, mode) == 0);
}

Status cSwapFiles::MakeFolder(int folder, const std::string& name) {
  if (Status step = BeforeStep("make folder " + name); !step.ok()) return step;
  return Outcome(mkdirat(folder, name.c_str(), 0755) == 0 || errno == EEXIST);
}

Status cSwapFiles::MakeMark(int folder, const std::string& name) {
  if (Status step = BeforeStep("mark " + name); !step.ok()) return step;
  const int fd =
      openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Outcome(errno == EEXIST);
  close(fd);
  return Status::Ok();
}

Status cSwapFiles::Link(int from_folder, const std::string& from, int to_folder,
                        const std::string& to) {
  if (Status step = BeforeStep("link " + from + " as " + to); !step.ok()) return step;
  return Outcome(linkat(from_folder, from.c_str(), to_folder, to.c_str(), 0) == 0);
}

Status cSwapFiles::Rename(int from_folder, const std::string& from, int to_folder,
                          const std::string& to) {
  if (Status step = BeforeStep("rename " + from + " to " + to); !step.ok()) return step;
  return Outcome(renameat(from_folder, from.c_str(), to_folder, to.c_str()) == 0);
}

Status cSwapFiles::Remove(int folder, const std::string& name, bool is_folder) {
  struct stat info {};
  if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
    return Status::Ok();
  }
  if (Status step = BeforeStep("remove " + name); !step.ok()) return step;
  return Outcome(unlinkat(folder, name.c_str(), is_folder ? AT_REMOVEDIR : 0) == 0 ||
                 errno == ENOENT);
}

cFd cSwapFiles::OpenFoldersBelow(int base, const std::string& relative, bool make, Status* failed) {
  cFd current(openat(base, ".", kFolderFlags));
  size_t start = 0;
  while (current.ok() && start < relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string part = relative.substr(start, end - start);
    start = end + 1;
    cFd next = OpenFolderAt(current.get(), part);
    if (!next.ok() && errno == ENOENT && make) {
      if (Status made = MakeFolder(current.get(), part); !made.ok()) {
        *failed = made;
        return cFd();
      }
      next = OpenFolderAt(current.get(), part);
    }
    current = std::move(next);
  }
  if (!current.ok()) *failed = SystemFailure(errno);
  return current;
}

Status cSwapFiles::RemoveTree(int parent, const std::string& name) {
  cFd folder = OpenFolderAt(parent, name);
  if (!folder.ok()) return errno == ENOENT ? Status::Ok() : Remove(parent, name);
  std::vector<std::string> names;
  if (!ListFolder(folder.get(), &names)) return SystemFailure(errno);
  for (const std::string& entry : names) {
    struct stat info {};
    const bool is_folder = fstatat(folder.get(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISDIR(info.st_mode);
    Status removed = is_folder ? RemoveTree(folder.get(), entry) : Remove(folder.get(), entry);
    if (!removed.ok()) return removed;
  }
  return Remove(parent, name, true);
}

}  // namespace hv
