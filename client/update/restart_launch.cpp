#include "client/update/restart_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>

#include "client/update/update_codes.h"

extern char** environ;

namespace hv {

std::string RestartCommandLine(const std::string& program, const std::string& new_file) {
  return "/F=\"" + program + "\" /D=10000 /C=\"" + new_file + "\" /T=\"" + program + "\"";
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

int32_t StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& directory) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return hv::kRestartNotStarted;
  // The helper must not hold the client's sockets or files open after the client has gone.
  int status = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
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
  return status == 0 ? hv::kOk : hv::kRestartNotStarted;
}

}  // namespace hv
