// The product constants of the update: where the update sites are, the FTP account, the
// client's own version and build, and the root keys that every published release leads back
// to. The
// site values come from build options (see client/update/CMakeLists.txt); cUpdateSite holds
// them at run time so that a test or a packager's configuration can point elsewhere.
#ifndef HV_CLIENT_UPDATE_UPDATE_CONSTANTS_H_
#define HV_CLIENT_UPDATE_UPDATE_CONSTANTS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "client/update/update_keys.h"
#include "core/string/sw_string.h"

namespace hv {

// This client's version and build, as the version dialog shows them.
const char* ThisVersionText();
const char* ThisBuildText();

// The name the engine gives itself on the web, and the version file every channel lists.
constexpr const char* kUpdateAgent = "Varnholt";
constexpr const char* kVersionFileName = "version.txt";
// The signatures of the version file (see update_keys.h), published beside it.
constexpr const char* kVersionSignatureName = "version.txt.sig";
// The settings section where the version dialog and the engine keep what they learnt of the
// releases: the latest version, build and date shown, the newest build accepted per channel.
constexpr const char* kVersionInfoSection = "Version Info";
// The page where people can download the program by hand.
constexpr const char* kDownloadWebPage = "https://www.varnholt.example/download";

// Files that a main-program-only run fetches besides the program itself.
constexpr std::array<const char*, 3> kMainProgramDataFiles = {"VH.BMP", "ReleaseNotes.txt",
                                                              "LICENSE.txt"};

constexpr int32_t kFtpPasswordCount = 6;

// Where the updates come from, and whom to trust.
struct cUpdateSite {
  swString web_address;  // holds the channels' control files
  swString ftp_host;
  int32_t ftp_port = 21;
  swString ftp_directory;
  swString ftp_user;
  std::array<swString, kFtpPasswordCount> ftp_passwords;
  int32_t ftp_password_index = 4;
  // The root keys (Ed25519, 32 bytes each) and how many of them must sign the key list of
  // release keys. None: this build trusts no publisher, and no update can be installed.
  cRootKeys roots;
  // The folder for control and version files; empty for $XDG_DATA_HOME/Varnholt/Updates.
  swString download_folder;
};

// The site as this build was configured.
cUpdateSite BuiltInUpdateSite();

// 32 bytes from 64 hexadecimal digits; empty for anything else.
std::string PublicKeyFromHex(const char* hex);
// Public keys from comma-separated groups of 64 hexadecimal digits; false when one is not.
bool PublicKeysFromHex(const char* hex_list, std::vector<std::string>* keys);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_UPDATE_CONSTANTS_H_
