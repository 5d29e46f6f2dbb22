#include "client/shell/app/program_folders.h"

#include <unistd.h>

#include "client/shell/app/help.h"
#include "core/file/running_program.h"
#include "core/profile/user_folders.h"

namespace hv {

ProgramFolders FindProgramFolders(const std::string& program_path) {
  const std::string path = program_path.empty() ? RunningProgramPath() : program_path;
  const std::string::size_type slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                                           : path.substr(0, slash);
  ProgramFolders folders;
  folders.program_path = path.c_str();
  folders.program_directory = directory.c_str();
  folders.help_folder = HelpFolderFor(folders.program_directory);
  folders.data_folder = (DataHome() + "/Varnholt").c_str();
  return folders;
}

void EnterDataFolder(const swString& data_folder) {
  if (MakeFolders(data_folder.CStr())) {
    [[maybe_unused]] int ignored = chdir(data_folder.CStr());
  }
}

}  // namespace hv
