#include "core/profile/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace hv {

namespace {

std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::string();
  return value;
}

}  // namespace

std::string HomeFolder() {
  std::string home = AbsoluteVariable("HOME");
  if (!home.empty()) return home;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

std::string ConfigHome() {
  std::string config = AbsoluteVariable("XDG_CONFIG_HOME");
  if (!config.empty()) return config;
  std::string home = HomeFolder();
  return (home == "/" ? "" : home) + "/.config";
}

std::string DataHome() {
  std::string data = AbsoluteVariable("XDG_DATA_HOME");
  if (!data.empty()) return data;
  std::string home = HomeFolder();
  return (home == "/" ? "" : home) + "/.local/share";
}

bool MakeFolders(const std::string& path) {
  if (path.empty()) return false;
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    std::string prefix = path.substr(0, at);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace hv
