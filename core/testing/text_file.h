// Whole files as strings, byte for byte, for tests that write a file and read what came of it.
#ifndef HV_CORE_TESTING_TEXT_FILE_H_
#define HV_CORE_TESTING_TEXT_FILE_H_

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace hv {

namespace test {

// The file's bytes; empty when it cannot be read.
inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace test

}  // namespace hv

#endif  // HV_CORE_TESTING_TEXT_FILE_H_
