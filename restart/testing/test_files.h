// Whole-file helpers for the restart tests, which check files byte for byte and by mode.
#ifndef HV_RESTART_TESTING_TEST_FILES_H_
#define HV_RESTART_TESTING_TEST_FILES_H_

#include <sys/stat.h>

#include <string>

#include "core/testing/temp_folder.h"

namespace hv {

// `name` inside `folder`, with the sub-folders it names created.
std::string PathIn(const hv::test::cTempFolder& folder, const std::string& name);

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode = 0644);
// The whole file, or "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
mode_t FileMode(const std::string& path);

}  // namespace hv

#endif  // HV_RESTART_TESTING_TEST_FILES_H_
