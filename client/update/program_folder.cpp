#include "client/update/program_folder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "core/string/path_name.h"

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

// A client that has ended but was not yet reaped still counts as running: its folder then
// waits for a later start.
bool ProcessRuns(pid_t pid) { return pid > 0 && !(kill(pid, 0) != 0 && errno == ESRCH); }

// The client that made a staging folder, from its name; 0 for a name without one.
pid_t StagingOwner(const std::string& name) {
  const std::string rest = name.substr(std::string_view(kStagingPrefix).size());
  const size_t dash = rest.find('-');
  if (dash == std::string::npos || dash == 0) return 0;
  for (size_t i = 0; i < dash; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return 0;
  }
  return static_cast<pid_t>(std::strtol(rest.substr(0, dash).c_str(), nullptr, 10));
}

}  // namespace

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
  const std::string folder = FolderOf(program_path);
  int removed = 0;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kStagingPrefix, 0) != 0 || !entry.is_directory(error)) continue;
    const pid_t owner = StagingOwner(name);
    if (owner != 0 && ProcessRuns(owner)) continue;
    if (fs::remove_all(entry.path(), error) > 0) ++removed;
  }
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
