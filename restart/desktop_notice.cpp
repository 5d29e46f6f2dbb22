#include "restart/desktop_notice.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace hv {

namespace {

std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string folders(path);
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (!folder.empty()) {
      std::string candidate = folder + "/" + name;
      struct stat info {};
      if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
    start = end + 1;
  }
  return {};
}

bool HasSessionBus() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && address[0] != '\0') return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] == '\0') return false;
  struct stat info {};
  return stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

bool ShowDesktopNotice(const char* caption, const char* text) {
  if (!HasSessionBus()) return false;
  std::string program = FindOnPath("notify-send");
  if (program.empty()) return false;
  std::string app = "--app-name=restart";
  std::string icon = "--icon=dialog-warning";
  std::string end = "--";
  std::string summary = caption;
  std::string body = text;
  char* argv[] = {program.data(), app.data(),  icon.data(), end.data(),
                  summary.data(), body.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t child = 0;
  int error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0;
}

void ReapDesktopNotices() {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

}  // namespace hv
