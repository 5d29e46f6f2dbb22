// Whole-file helpers for the restart tests, which check files byte for byte and by mode.
#ifndef HV_RESTART_TESTING_TEST_FILES_H_
#define HV_RESTART_TESTING_TEST_FILES_H_

#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/testing/temp_folder.h"

namespace hv {

// `name` inside `folder`, with the sub-folders it names created.
std::string PathIn(const hv::test::cTempFolder& folder, const std::string& name);

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode = 0644);
// The whole file, or "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
mode_t FileMode(const std::string& path);

// The SHA-256 of `bytes`, in hexadecimal.
std::string Sha256Hex(const std::string& bytes);

// One file of a staged update: its content, where it waits and what it replaces.
struct cTestStagedFile {
  std::string staged;  // relative to the staging folder
  std::string target;  // relative to the program folder
  std::string content;
};

// A staging folder `name` in `program_folder` as the client leaves it: the files (mode 0644)
// and the list of them with their hashes. The list's path.
std::string WriteStagedUpdate(const std::string& program_folder, const std::string& name,
                              const std::vector<cTestStagedFile>& files);

// A staging folder name whose owner has ended (a child started and reaped for it).
std::string DeadStagingName(const std::string& letters = "abcdef");

}  // namespace hv

#endif  // HV_RESTART_TESTING_TEST_FILES_H_
