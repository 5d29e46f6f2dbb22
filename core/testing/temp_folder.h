// cTempFolder: a fresh folder under $TMPDIR (/tmp when unset) for one test, removed with
// everything in it when the object goes. Every test that needs files of its own makes one,
// so no two tests (or two runs of one) ever share a file.
#ifndef HV_CORE_TESTING_TEMP_FOLDER_H_
#define HV_CORE_TESTING_TEMP_FOLDER_H_

#include <string>

namespace hv {

namespace test {

class cTempFolder {
 public:
  // `prefix` starts the folder's name, to tell whose folder a left-over one was.
  explicit cTempFolder(const char* prefix = "hvtest");
  ~cTempFolder();
  cTempFolder(const cTempFolder&) = delete;
  cTempFolder& operator=(const cTempFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& path() const { return path_; }
  // `name` inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CORE_TESTING_TEMP_FOLDER_H_
