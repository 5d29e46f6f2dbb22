#include "client/views/history/export_folder.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

namespace hv::history {

namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// XDG_DOCUMENTS_DIR="$HOME/Dokumente" from user-dirs.dirs, with $HOME put in; empty when the
// file has no such line.
std::string DocumentsFromUserDirs(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string file =
      (config != nullptr && *config != '\0' ? std::string(config) : home + "/.config") +
      "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=\"";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    // The desktop sets it to home itself when there is no Documents folder: no use here.
    return value == home || value == home + "/" ? std::string() : value;
  }
  return std::string();
}

}  // namespace

std::string DefaultExportFolder() {
  const char* home_env = std::getenv("HOME");
  if (home_env == nullptr || *home_env == '\0') return std::string();
  const std::string home = home_env;
  const std::string named = DocumentsFromUserDirs(home);
  if (IsFolder(named)) return named;
  if (IsFolder(home + "/Documents")) return home + "/Documents";
  return home;
}

}  // namespace hv::history
