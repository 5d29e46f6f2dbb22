#include "client/update/restart_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "client/update/update_codes.h"

extern char** environ;

namespace hv {

namespace {

// `error` is the errno value the spawn calls return.
Status NotStarted(const std::string& program, int error) {
  return Status(Where::kUpdate, hv::kRestartNotStarted, program + ": " + std::strerror(error));
}

}  // namespace

std::string RestartCommandLine(const std::string& program, const std::string& new_file,
                               int32_t pid) {
  return "/F=\"" + program + "\" /D=10000 /C=\"" + new_file + "\" /T=\"" + program +
         "\" /P=" + std::to_string(pid);
}

std::vector<std::string> RestartArguments(const std::string& command_line) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  for (const char c : command_line) {
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted) {
      if (!current.empty()) arguments.push_back(current);
      current.clear();
      continue;
    }
    current.push_back(c);
  }
  if (!current.empty()) arguments.push_back(current);
  return arguments;
}

Status StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& directory) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  int status = posix_spawn_file_actions_init(&actions);
  if (status != 0) return NotStarted(program, status);
  // The helper must not hold the client's sockets or files open after the client has gone.
  status = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (status == 0 && !directory.empty()) {
    status = posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group: a signal meant for the client's group does not stop the swap.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  if (status == 0) {
    status = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return status == 0 ? Status::Ok() : NotStarted(program, status);
}

}  // namespace hv
