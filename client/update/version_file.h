// The version file of a release: "KEY = value" lines, then "RELEASE NOTES:" and the notes
// to the end of the file. Besides the keys people read, it is the release's manifest: one
// "FILE <path> = <size> <sha256> <platform>" key per published file, the channel, when it was
// published and when it stops being current. The file itself is signed, so what it lists is
// exactly what a run may fetch and install.
#ifndef HV_CLIENT_UPDATE_VERSION_FILE_H_
#define HV_CLIENT_UPDATE_VERSION_FILE_H_

#include <cstdint>
#include <map>
#include <string>

#include "core/string/sw_string.h"

namespace hv {

// One released file: its size, SHA-256 (32 bytes) and the platform it is for ("any", or the
// operating system and machine, such as "linux-x86_64").
struct cManifestEntry {
  uint64_t size = 0;
  std::string sha256;
  std::string platform;
};

struct cVersionInfo {
  swString version;
  int32_t build = 0;
  swString date;
  swString notes;  // line ends as CR LF
  // The channel the file was published for ("release", "beta", "alpha"; empty when not
  // given) and when (seconds since 1970 UTC; 0 when not given). Both are signed with the
  // rest, so an old or another channel's release cannot be passed off as the latest.
  std::string channel;
  uint32_t published = 0;
  // After this moment (seconds since 1970 UTC) the file is no longer current; 0 when not
  // given, which counts as long expired.
  uint32_t expires = 0;
  // Item path (as the control file spells it) -> what was released under it.
  std::map<std::string, cManifestEntry> files;
};

// Reads the text. Unknown keys are skipped; a text without "RELEASE NOTES:" has no notes.
void ParseVersionFile(const std::string& content, cVersionInfo* info);

// The key prefix of a released file, followed by one space and the item's path.
constexpr const char* kFileKeyPrefix = "FILE ";
// The platform of a file that every platform takes (pictures, texts).
constexpr const char* kAnyPlatform = "any";

// The platform this program was built for, as the manifest names it ("linux-x86_64").
const char* ThisPlatform();

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_VERSION_FILE_H_
