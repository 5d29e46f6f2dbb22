// The user's folders as the XDG base directory rules give them. Every path is absolute;
// a relative XDG variable is ignored, as the rules require.
#ifndef HV_CORE_PROFILE_USER_FOLDERS_H_
#define HV_CORE_PROFILE_USER_FOLDERS_H_

#include <string>

namespace hv {

// The user's home folder: $HOME, else the password database's entry, else "/".
std::string HomeFolder();
// $XDG_CONFIG_HOME, else the home folder's ".config".
std::string ConfigHome();
// $XDG_DATA_HOME, else the home folder's ".local/share".
std::string DataHome();
// Creates the folder and any missing folders above it (mode 0700 for new ones);
// true when it exists afterwards.
bool MakeFolders(const std::string& path);

}  // namespace hv

#endif  // HV_CORE_PROFILE_USER_FOLDERS_H_
