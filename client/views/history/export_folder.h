// Where the History window's export dialogs open at first: the user's Documents folder (as
// the desktop names it in user-dirs.dirs, else ~/Documents), or home when there is none.
// Never the program's data folder, which is hidden and no place people look for a file.
#ifndef HV_CLIENT_VIEWS_HISTORY_EXPORT_FOLDER_H_
#define HV_CLIENT_VIEWS_HISTORY_EXPORT_FOLDER_H_

#include <string>

namespace hv::history {

// From $HOME and $XDG_CONFIG_HOME; empty when not even home is known.
std::string DefaultExportFolder();

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_EXPORT_FOLDER_H_
