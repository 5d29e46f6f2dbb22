#include "client/update/program_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "client/update/restart_launch.h"
#include "core/string/path_name.h"
#include "restart/staging_folder.h"
#include "restart/swap_files.h"
#include "restart/system_restart_host.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

std::string FolderOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The restart helper's host, speaking as the client: at its start the client settles what a
// killed helper left with the helper's own code.
class cSettlingHost : public cSystemRestartHost {
 public:
  void Note(const char* text) override {
    std::fprintf(stderr, "hearthview: %s\n", text);
    std::fflush(stderr);
  }
};

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// `path` below `folder`, or empty when it does not lie below it.
std::string RelativeTo(const std::string& folder, const std::string& path) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  if (prefix.empty() || path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
    return std::string();
  return path.substr(prefix.size());
}

// Splits "a/b/c" into "a/b" and "c" ("" and "c" for a bare name).
void SplitLast(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  *folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int OpenFolderNoFollow(const std::string& path) {
  return open(path.empty() ? "." : path.c_str(), kFolderFlags);
}

int OpenFoldersBelow(int base, std::string_view relative) {
  int current = dup(base);
  if (current < 0 || relative.empty()) return current;
  if (!IsPlainRelativePath(relative)) {
    close(current);
    errno = EINVAL;
    return -1;
  }
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string_view::npos) end = relative.size();
    const std::string part(relative.substr(start, end - start));
    if (mkdirat(current, part.c_str(), 0755) != 0 && errno != EEXIST) break;
    const int next = openat(current, part.c_str(), kFolderFlags);
    const int error = errno;
    close(current);
    current = next;
    if (current < 0) {
      errno = error;
      return -1;
    }
    start = end + 1;
  }
  if (start <= relative.size()) {
    const int error = errno;
    close(current);
    errno = error;
    return -1;
  }
  return current;
}

std::string MakeStagingFolder(const std::string& program_folder) {
  const cFd folder(OpenFolderNoFollow(program_folder));
  if (folder.get() < 0) return std::string();
  std::random_device random;
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = StagingFolderTemplate(program_folder);
    for (size_t i = path.size() - 6; i < path.size(); ++i) path[i] = kLetters[random() % 62];
    const std::string name(PosixFileName(path));
    if (mkdirat(folder.get(), name.c_str(), 0700) == 0) return path;
    if (errno != EEXIST) return std::string();
  }
  errno = EEXIST;
  return std::string();
}

bool MakeParentFolders(const std::string& path, const std::string& program_folder) {
  std::string parent;
  std::string name;
  SplitLast(path, &parent, &name);
  if (parent.empty()) return true;
  const std::string relative = parent == program_folder ? "" : RelativeTo(program_folder, parent);
  if (parent != program_folder && relative.empty()) {
    std::error_code error;
    fs::create_directories(parent, error);
    if (error) errno = error.value();
    return !error;
  }
  const cFd folder(OpenFolderNoFollow(program_folder));
  if (folder.get() < 0) return false;
  const cFd made(OpenFoldersBelow(folder.get(), relative));
  return made.get() >= 0;
}

bool MoveIntoProgramFolder(const std::string& staged_path, const std::string& target_path,
                           const std::string& program_folder) {
  const std::string relative = RelativeTo(program_folder, target_path);
  std::string staged_folder, staged_name, target_folder, target_name;
  SplitLast(staged_path, &staged_folder, &staged_name);
  SplitLast(relative, &target_folder, &target_name);
  if (relative.empty() || !IsPlainRelativePath(relative)) {
    errno = EINVAL;
    return false;
  }
  const cFd program(OpenFolderNoFollow(program_folder));
  if (program.get() < 0) return false;
  const cFd from(OpenFolderNoFollow(staged_folder));
  const cFd to(OpenFoldersBelow(program.get(), target_folder));
  if (from.get() < 0 || to.get() < 0) return false;
  if (renameat(from.get(), staged_name.c_str(), to.get(), target_name.c_str()) != 0) return false;
  fsync(to.get());
  return true;
}

bool IsSystemInstall(std::string_view program_path, bool folder_writable) {
  const bool under_usr = program_path.rfind("/usr/", 0) == 0;
  const bool under_usr_local = program_path.rfind("/usr/local/", 0) == 0;
  return (under_usr && !under_usr_local) || !folder_writable;
}

bool IsSystemInstall(std::string_view program_path) {
  const std::string folder = FolderOf(program_path);
  return IsSystemInstall(program_path, access(folder.c_str(), W_OK) == 0);
}

std::string FindRestartProgram(std::string_view program_folder, std::string_view system_folder) {
  for (const std::string_view folder : {program_folder, system_folder}) {
    if (folder.empty()) continue;
    std::string candidate = JoinPosixPath(folder, "restart");
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::string();
}

std::string StagingFolderTemplate(std::string_view program_folder) {
  return JoinPosixPath(program_folder,
                       std::string(kStagingPrefix) + std::to_string(getpid()) + "-XXXXXX");
}

int RemoveUpdateLeftovers(std::string_view program_path, time_t now) {
  // A swap killed before its program moved is rolled back, one killed after is complete, and
  // the staging folders of ended runs go; a folder a helper is working on stays.
  cSwapFiles files;
  cSettlingHost host;
  int removed = CleanUpLeftovers(std::string(program_path), std::string(), files, host);
  // The download sets the file's times to the release's, so its age shows in the change
  // time, which the download's rename set.
  const std::string downloaded = WithPosixExtension(program_path, "ex_");
  struct stat info {};
  if (lstat(downloaded.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
      now - info.st_ctim.tv_sec > kStaleProgramSeconds && unlink(downloaded.c_str()) == 0) {
    ++removed;
  }
  return removed;
}

}  // namespace hv
