// The version file of a release: "KEY = value" lines, then "RELEASE NOTES:" and the notes
// to the end of the file. Besides the keys people read, it carries one "SHA-256 <item>" key
// per published file; the file itself is signed, so those hashes are what a download is
// checked against.
#ifndef HV_CLIENT_UPDATE_VERSION_FILE_H_
#define HV_CLIENT_UPDATE_VERSION_FILE_H_

#include <cstdint>
#include <map>
#include <string>

#include "core/string/sw_string.h"

namespace hv {

struct cVersionInfo {
  swString version;
  int32_t build = 0;
  swString date;
  swString notes;  // line ends as CR LF
  // Item path (as the control file spells it) -> 32-byte SHA-256.
  std::map<std::string, std::string> hashes;
};

// Reads the text. Unknown keys are skipped; a text without "RELEASE NOTES:" has no notes.
void ParseVersionFile(const std::string& content, cVersionInfo* info);

// The key prefix of a file's hash, followed by one space and the item's path.
constexpr const char* kHashKeyPrefix = "SHA-256 ";

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_VERSION_FILE_H_
