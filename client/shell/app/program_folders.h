// The folders the client works in: its program file's (the help pages are installed relative
// to it) and the data folder, where received files and command responses go.
#ifndef HV_CLIENT_SHELL_APP_PROGRAM_FOLDERS_H_
#define HV_CLIENT_SHELL_APP_PROGRAM_FOLDERS_H_

#include <string>

#include "core/string/sw_string.h"

namespace hv {

struct ProgramFolders {
  swString program_path;
  swString program_directory;  // "/" for a program at the root, "." without a slash
  swString help_folder;
  swString data_folder;  // $XDG_DATA_HOME/Varnholt
};

// program_path empty: the running program's file.
ProgramFolders FindProgramFolders(const std::string& program_path);

// Makes the data folder and makes it the current directory, so received files land there. A
// folder that cannot be made leaves the current directory as it is; receiving then reports
// its own failures.
void EnterDataFolder(const swString& data_folder);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_PROGRAM_FOLDERS_H_
