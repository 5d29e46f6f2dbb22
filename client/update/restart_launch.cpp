#include "client/update/restart_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "client/update/program_folder.h"
#include "client/update/update_codes.h"
#include "core/file/write_all.h"
#include "core/system_error.h"

extern char** environ;

namespace hv {

namespace {

// `error` is the errno value the spawn calls return, or errno after any other call.
Status NotStarted(const std::string& what, int error) {
  return SystemError(Where::kUpdate, what, error, hv::kRestartNotStarted);
}

Status Refused(const std::string& why) {
  return Status(Where::kUpdate, hv::kRestartNotStarted, why);
}

bool IsHexHash(const std::string& hex) {
  if (hex.size() != 64) return false;
  for (const char c : hex) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return true;
}

// `path` below `folder`, as a relative path of plain names; empty when it is not below it or
// when a name could not travel in a line of the list.
std::string RelativeBelow(const std::string& folder, const std::string& path) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  if (prefix.empty() || path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
    return std::string();
  std::string relative = path.substr(prefix.size());
  if (!IsPlainRelativePath(relative) || relative.find_first_of("\t\r\n") != std::string::npos) {
    return std::string();
  }
  return relative;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash == 0 ? 1 : slash);
}

// Writes `text` as the new file `name` in `folder`: never through a link, never over an
// existing file, on the disk before the helper can read it.
Status WriteNewFile(const std::string& folder, const char* name, const std::string& text) {
  const int folder_fd = OpenFolderNoFollow(folder);
  if (folder_fd < 0) return NotStarted(folder, errno);
  const std::string path = folder + "/" + name;
  const int fd =
      openat(folder_fd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  Status written = fd < 0 ? NotStarted(path, errno) : WriteAll(fd, text.data(), text.size(), path);
  if (written.ok() && fsync(fd) != 0) written = NotStarted(path, errno);
  if (fd >= 0 && close(fd) != 0 && written.ok()) written = NotStarted(path, errno);
  if (!written.ok() && fd >= 0) unlinkat(folder_fd, name, 0);
  close(folder_fd);
  // The restart is what did not happen, whichever step refused.
  if (!written.ok()) return Refused(written.message());
  return Status::Ok();
}

}  // namespace

Status RestartListText(const std::string& program_folder, const std::string& staging_folder,
                       const std::vector<cStagedUpdateFile>& files, std::string* text) {
  std::string list = std::string(kRestartListHeader) + "\n";
  for (const cStagedUpdateFile& file : files) {
    const std::string staged = RelativeBelow(staging_folder, file.staged_path);
    const std::string target = RelativeBelow(program_folder, file.target_path);
    if (staged.empty() || target.empty()) {
      return Refused("The update file " + file.target_path +
                     " cannot be handed to the restart helper: its path is not a plain path in "
                     "its folder");
    }
    if (!IsHexHash(file.sha256_hex)) {
      return Refused("The update file " + file.target_path + " has no SHA-256 to be checked with");
    }
    list += file.sha256_hex + "\t" + staged + "\t" + target + "\n";
  }
  *text = std::move(list);
  return Status::Ok();
}

std::string RestartCommandLine(const std::string& program, const std::string& new_program,
                               int32_t pid, const std::string& list) {
  return "/F=\"" + program + "\" /D=10000 /C=\"" + new_program + "\" /T=\"" + program +
         "\" /P=" + std::to_string(pid) + " /L=\"" + list + "\"";
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

Status LaunchRestart(const cRestartHandOff& hand_off, const cProcessStarter& start) {
  const std::string list_path = hand_off.staging_folder + "/" + kRestartListName;
  // Each path travels in double quotes; one that holds a quote itself would reach the helper
  // cut apart, and it would move the wrong files.
  if (hand_off.program_path.find('"') != std::string::npos ||
      hand_off.staging_folder.find('"') != std::string::npos) {
    return Refused(
        "The program's path holds a double quote, which the restart command cannot "
        "carry");
  }
  const cStagedUpdateFile* program = nullptr;
  for (const cStagedUpdateFile& file : hand_off.files) {
    if (file.target_path == hand_off.program_path) program = &file;
  }
  if (program == nullptr || program->staged_path.find('"') != std::string::npos) {
    return Refused("The update hands no new program file to the restart helper");
  }
  std::string text;
  Status status = RestartListText(FolderOf(hand_off.program_path), hand_off.staging_folder,
                                  hand_off.files, &text);
  if (status.ok()) status = WriteNewFile(hand_off.staging_folder, kRestartListName, text);
  if (!status.ok()) return status;
  const std::vector<std::string> arguments = RestartArguments(
      RestartCommandLine(hand_off.program_path, program->staged_path, hand_off.pid, list_path));
  status = start(hand_off.restart_program, arguments, FolderOf(hand_off.program_path));
  if (!status.ok()) {
    // Nobody will read it: the run's staging folder goes with its files.
    const int folder_fd = OpenFolderNoFollow(hand_off.staging_folder);
    if (folder_fd >= 0) {
      unlinkat(folder_fd, kRestartListName, 0);
      close(folder_fd);
    }
    return Status(Where::kUpdate, hv::kRestartNotStarted, status.message());
  }
  return Status::Ok();
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
