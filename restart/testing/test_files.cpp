#include "restart/testing/test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace hv {

std::string PathIn(const hv::test::cTempFolder& folder, const std::string& name) {
  std::string full = folder.File(name);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(full).parent_path(), ignored);
  return full;
}

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  chmod(path.c_str(), mode);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

mode_t FileMode(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return 0;
  return info.st_mode & 07777;
}

}  // namespace hv
