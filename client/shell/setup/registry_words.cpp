#include "client/shell/setup/registry_words.h"

#include "core/profile/profile.h"

namespace hv {

cRegistryWords cRegistryWords::Choose() {
  cRegistryWords words;
  if (ProfileKeyExists("Software\\Quillmere")) {
    words.company = "Quillmere";
    words.application = "HouseDesk";
  }
  return words;
}

cRegistryWords ChooseRegistryWords() { return cRegistryWords::Choose(); }

}  // namespace hv
