#include "core/testing/temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace hv {

namespace test {

cTempFolder::cTempFolder(const char* prefix) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" +
                        (prefix != nullptr ? prefix : "hvtest") + "XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

cTempFolder::~cTempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace test

}  // namespace hv
