#include "client/platform/spawn_shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <strings.h>

#include <cerrno>
#include <cstring>

#include "client/platform/command_line_split.h"
#include "core/status.h"
#include "core/system_error.h"

extern char** environ;

namespace hv {

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool IsRunnableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool LooksLikeUrl(const char* text) {
  return std::strstr(text, "://") != nullptr || std::strncmp(text, "mailto:", 7) == 0;
}

}  // namespace

cSpawnShell::~cSpawnShell() { ReapFinished(); }

Status cSpawnShell::Spawn(const std::vector<std::string>& argv, const std::string& directory,
                          bool search_path, int32_t missing_code) {
  ReapFinished();
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  const int made = posix_spawn_file_actions_init(&actions);
  if (made != 0) return SystemError(Where::kUi, "cannot start " + argv[0], made, kCannotOpenFile);
  if (!directory.empty()) {
    const int moved = posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    if (moved != 0) {
      posix_spawn_file_actions_destroy(&actions);
      return SystemError(Where::kUi, "cannot start " + argv[0] + " in " + directory, moved,
                         kCannotOpenFile);
    }
  }
  pid_t pid = 0;
  int rc = search_path ? posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ)
                       : posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  // posix_spawn gives the reason as its result, not in errno.
  if (rc != 0) {
    return SystemError(Where::kUi, "cannot start " + argv[0], rc,
                       rc == ENOENT ? missing_code : kCannotOpenFile);
  }
  children_.push_back(pid);
  return Status::Ok();
}

void cSpawnShell::ReapFinished() {
  for (size_t i = 0; i < children_.size();) {
    int status = 0;
    pid_t done = waitpid(children_[i], &status, WNOHANG);
    if (done == children_[i] || (done < 0 && errno == ECHILD)) {
      children_.erase(children_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

void cSpawnShell::WaitForChildren() {
  for (pid_t pid : children_) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  children_.clear();
}

Status cSpawnShell::Open(const char* file_or_url) {
  if (file_or_url == nullptr || *file_or_url == '\0')
    return Status(Where::kUi, hv::kMissingArgument);
  return Spawn({"xdg-open", file_or_url}, std::string(), true, kNoOpener);
}

Status cSpawnShell::Execute(const char* verb, const char* file, const char* parameters,
                            const char* directory, int32_t /*show_command*/) {
  if (file == nullptr || *file == '\0') return Status(Where::kUi, hv::kMissingArgument);
  if (verb != nullptr && *verb != '\0' && strcasecmp(verb, "open") != 0) {
    return Status(Where::kUi, hv::kUnexpectedType);
  }
  if (LooksLikeUrl(file)) return Open(file);

  std::string dir = (directory != nullptr && IsDirectory(directory)) ? directory : "";
  std::string path = file;
  // A relative name is looked for in the given directory first, as the caller meant it.
  if (path[0] != '/' && !dir.empty() && Exists(dir + "/" + path)) path = dir + "/" + path;

  std::vector<std::string> argv{path};
  for (std::string& a : SplitCommandLine(parameters)) argv.push_back(std::move(a));

  if (path.find('/') == std::string::npos) {
    // A bare program name, as the desktop would find it on PATH.
    return Spawn(argv, dir, true, kCannotOpenFile);
  }
  if (IsRunnableFile(path)) return Spawn(argv, dir, false, kCannotOpenFile);
  if (Exists(path)) return Open(path.c_str());
  return Status(Where::kUi, hv::kCannotOpenFile);
}

}  // namespace hv
