#include "restart/testing/test_files.h"

#include <sodium.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  char hex[crypto_hash_sha256_BYTES * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
  return hex;
}

std::string WriteStagedUpdate(const std::string& program_folder, const std::string& name,
                              const std::vector<cTestStagedFile>& files) {
  const std::string staging = program_folder + "/" + name;
  std::filesystem::create_directories(staging);
  chmod(staging.c_str(), 0700);
  std::string list = "hearthview restart list 1\n";
  for (const cTestStagedFile& file : files) {
    const std::string path = staging + "/" + file.staged;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, file.content, 0644);
    list += Sha256Hex(file.content) + "\t" + file.staged + "\t" + file.target + "\n";
  }
  WriteFile(staging + "/restart.list", list, 0600);
  return staging + "/restart.list";
}

std::string DeadStagingName(const std::string& letters) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return ".update-" + std::to_string(child) + "-" + letters;
}

}  // namespace hv
