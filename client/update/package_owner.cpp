#include "client/update/package_owner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "client/update/program_folder.h"

extern char** environ;

namespace hv {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool IsPackageManaged(std::string_view program_path, const cPackageFacts& facts) {
  if (IsSystemInstall(program_path, facts.folder_writable)) return true;
  if (!facts.running_as_root) return false;
  return StartsWith(program_path, "/opt/") || facts.known_to_dpkg;
}

bool IsPackageManaged(std::string_view program_path) {
  return IsPackageManaged(program_path, PackageFactsOf(std::string(program_path)));
}

cPackageFacts PackageFactsOf(const std::string& program_path) {
  cPackageFacts facts;
  facts.running_as_root = geteuid() == 0;
  facts.folder_writable = access(FolderOf(program_path).c_str(), W_OK) == 0;
  // Only root's answer depends on it, and asking costs a process start.
  if (facts.running_as_root) facts.known_to_dpkg = DpkgKnows(program_path);
  return facts;
}

bool DpkgKnows(const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>("dpkg-query"), const_cast<char*>("-S"),
                  const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, "dpkg-query", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace hv
