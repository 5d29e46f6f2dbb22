// TempFolder: the tests' temporary folder, which also makes the sub-folders of a file in it;
// and small helpers to write and read whole files.
#ifndef HV_RESTART_TESTING_TEMP_FOLDER_H_
#define HV_RESTART_TESTING_TEMP_FOLDER_H_

#include <sys/stat.h>

#include <string>

#include "core/testing/temp_folder.h"

class TempFolder : public hvtest::cTempFolder {
 public:
  TempFolder() : cTempFolder("restart-test-") {}

  // `name` inside the folder; sub-folders of `name` are created.
  std::string Make(const std::string& name) const;
};

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode = 0644);
// The whole file, or "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
mode_t FileMode(const std::string& path);

#endif  // HV_RESTART_TESTING_TEMP_FOLDER_H_
