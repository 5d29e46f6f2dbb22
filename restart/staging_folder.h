// The staging folders that the client makes in the program folder for an update's files, and
// what the restart program does with those a killed run left behind.
#ifndef HV_RESTART_STAGING_FOLDER_H_
#define HV_RESTART_STAGING_FOLDER_H_

#include <string>
#include <string_view>

#include "restart/restart_host.h"
#include "restart/swap_files.h"

namespace hv {

// A staging folder's name: this, the client's process id, '-', six letters.
constexpr std::string_view kStagingPrefix = ".update-";
// In a staging folder: second names of the data files a swap replaces, until it is done.
constexpr const char* kOldFilesFolder = "old";
// ... and, for a data file that replaces none, an empty file named by its number and this.
constexpr const char* kNewFileMark = ".new";

bool IsStagingFolderName(std::string_view name);

// Takes the lock that a restart run holds on its open staging folder while it works, so that
// no other program settles the folder under a swap that is still alive. The lock ends with the
// descriptor (or the process, however it ends). False when another holds it.
bool LockStagingFolder(int staging);

// The process that made the staging folder `name`; 0 when the name holds none.
int32_t StagingOwner(std::string_view name);

// Finishes what a killed swap left in the folder of `program_path`: every staging folder but
// `current_staging` (a path; may be empty) whose client no longer runs and that no restart
// run holds locked. When its new program
// was not yet swapped in, the data files it swapped are put back first, so the program and
// its data files stay of one release; then the folder goes. Returns how many were removed.
int CleanUpLeftovers(const std::string& program_path, const std::string& current_staging,
                     cSwapFiles& files, cRestartHost& host);

}  // namespace hv

#endif  // HV_RESTART_STAGING_FOLDER_H_
