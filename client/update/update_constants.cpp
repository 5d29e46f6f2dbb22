#include "client/update/update_constants.h"

#include <string_view>

#include "core/string/hex_digit.h"

namespace hv {

#ifndef HV_UPDATE_WEB_ADDRESS
#define HV_UPDATE_WEB_ADDRESS "https://updates.varnholt.example/hearthview"
#endif
#ifndef HV_UPDATE_FTP_HOST
#define HV_UPDATE_FTP_HOST "ftp.varnholt.example"
#endif
#ifndef HV_UPDATE_FTP_PORT
#define HV_UPDATE_FTP_PORT 21
#endif
#ifndef HV_UPDATE_FTP_DIRECTORY
#define HV_UPDATE_FTP_DIRECTORY "/HouseDesk"
#endif
#ifndef HV_UPDATE_FTP_USER
#define HV_UPDATE_FTP_USER "hearthview"
#endif
#ifndef HV_UPDATE_FTP_PASSWORDS
#define HV_UPDATE_FTP_PASSWORDS "Kq7vMw2pTz,Rn4xLc8dHs,Bj5tPf9gWe,Yh3mQa6uZk,Ds8wNe2rVx,Gt6cJb4yMo"
#endif
#ifndef HV_UPDATE_ROOT_KEYS
#define HV_UPDATE_ROOT_KEYS ""
#endif
#ifndef HV_UPDATE_ROOT_THRESHOLD
#define HV_UPDATE_ROOT_THRESHOLD 2
#endif
#ifndef HV_THIS_VERSION
#define HV_THIS_VERSION "2.0"
#endif
#ifndef HV_THIS_BUILD
#define HV_THIS_BUILD "186"
#endif

const char* ThisVersionText() { return HV_THIS_VERSION; }
const char* ThisBuildText() { return HV_THIS_BUILD; }

std::string PublicKeyFromHex(const char* hex) {
  if (hex == nullptr) return std::string();
  const std::string_view text(hex);
  return text.size() == 64 ? BytesFromHex(text) : std::string();
}

bool PublicKeysFromHex(const char* hex_list, std::vector<std::string>* keys) {
  keys->clear();
  const std::string text = hex_list != nullptr ? hex_list : "";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    const std::string key = PublicKeyFromHex(text.substr(start, end - start).c_str());
    if (key.empty()) return false;
    keys->push_back(key);
    start = end + 1;
  }
  return true;
}

cUpdateSite BuiltInUpdateSite() {
  cUpdateSite site;
  site.web_address = HV_UPDATE_WEB_ADDRESS;
  site.ftp_host = HV_UPDATE_FTP_HOST;
  site.ftp_port = HV_UPDATE_FTP_PORT;
  site.ftp_directory = HV_UPDATE_FTP_DIRECTORY;
  site.ftp_user = HV_UPDATE_FTP_USER;
  // The passwords are one comma-separated option; missing ones stay empty.
  const std::string passwords = HV_UPDATE_FTP_PASSWORDS;
  size_t start = 0;
  for (int32_t i = 0; i < kFtpPasswordCount && start <= passwords.size(); ++i) {
    size_t end = passwords.find(',', start);
    if (end == std::string::npos) end = passwords.size();
    site.ftp_passwords[static_cast<size_t>(i)] = passwords.substr(start, end - start).c_str();
    start = end + 1;
  }
  // A malformed list trusts nobody rather than fewer keys than the packager meant.
  if (!PublicKeysFromHex(HV_UPDATE_ROOT_KEYS, &site.roots.keys)) site.roots.keys.clear();
  site.roots.threshold = HV_UPDATE_ROOT_THRESHOLD;
  return site;
}

}  // namespace hv
