// The program's own folder as the update sees it: whether the client may update itself
// there, where the restart helper lies, and what a run that was cut off left behind.
#ifndef HV_CLIENT_UPDATE_PROGRAM_FOLDER_H_
#define HV_CLIENT_UPDATE_PROGRAM_FOLDER_H_

#include <ctime>
#include <string>
#include <string_view>

namespace hv {

// Where the system's package manager puts the restart helper.
constexpr const char* kSystemHelperFolder = "/usr/libexec/hearthview";
// Staging folders of a run start with this, then the process id of the client that made it.
constexpr const char* kStagingPrefix = ".update-";
// A downloaded program file older than this has no restart helper waiting for it any more
// (the helper waits at most 10 s for the client to end).
constexpr time_t kStaleProgramSeconds = 120;

// True when the program file belongs to the system's package manager: it lies under /usr
// (but not /usr/local), or its folder cannot be written. Such a client learns of updates but
// leaves installing them to the package manager.
bool IsSystemInstall(std::string_view program_path);
// The same decision from its two facts, for callers that know them.
bool IsSystemInstall(std::string_view program_path, bool folder_writable);

// The restart helper: beside the program when it is there, else in `system_folder`. Empty
// when neither has an executable one.
std::string FindRestartProgram(std::string_view program_folder,
                               std::string_view system_folder = kSystemHelperFolder);

// The staging folder template of this process in `program_folder` (for mkdtemp).
std::string StagingFolderTemplate(std::string_view program_folder);

// Removes what a cut-off run left in the program's folder: staging folders whose client no
// longer runs, and the downloaded program file (the program's name with "ex_") once it is
// older than kStaleProgramSeconds at `now`. Returns how many were removed.
int RemoveUpdateLeftovers(std::string_view program_path, time_t now);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_PROGRAM_FOLDER_H_
