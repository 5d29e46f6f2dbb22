// The program's own folder as the update sees it: whether the client may update itself
// there, where the restart helper lies, and what a run that was cut off left behind.
#ifndef HV_CLIENT_UPDATE_PROGRAM_FOLDER_H_
#define HV_CLIENT_UPDATE_PROGRAM_FOLDER_H_

#include <ctime>
#include <string>
#include <string_view>

#include "core/string/plain_path.h"
#include "restart/staging_folder.h"

namespace hv {

// Where the system's package manager puts the restart helper.
constexpr const char* kSystemHelperFolder = "/usr/libexec/hearthview";
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

// Opens `path` as a folder for the *at calls; a symbolic link in its place is refused (ELOOP
// or ENOTDIR). -1 with errno set when it cannot be opened.
int OpenFolderNoFollow(const std::string& path);

// Opens (creating what is missing, mode 0755) the folder `relative` below the open folder
// `base`, one name at a time, never through a symbolic link. -1 with errno set when a part is
// a link, no folder, or cannot be made.
int OpenFoldersBelow(int base, std::string_view relative);

// Makes the run's staging folder in `program_folder` (mode 0700, named from
// StagingFolderTemplate) without following a link in the program folder's place. Its path, or
// empty with errno set.
std::string MakeStagingFolder(const std::string& program_folder);

// Makes the missing folders above `path`. Inside `program_folder` no part is followed through
// a symbolic link (the program folder itself included), so a link planted there cannot send
// the update's files elsewhere; outside it the user's own folders may be links. False with
// errno set when they cannot be made.
bool MakeParentFolders(const std::string& path, const std::string& program_folder);

// Moves `staged_path` onto `target_path` (inside `program_folder`) with one rename, making
// the target's missing folders on the way; neither path's folders are followed through a
// symbolic link below the program folder. False with errno set.
bool MoveIntoProgramFolder(const std::string& staged_path, const std::string& target_path,
                           const std::string& program_folder);

// Settles what a cut-off run left in the program's folder, as the restart helper does at its
// start (see CleanUpLeftovers): every staging folder whose client no longer runs and that no
// helper holds, a swap killed part-way rolled back or finished first; and the downloaded
// program file (the program's name with "ex_") once it is older than kStaleProgramSeconds at
// `now`. Returns how many were removed.
int RemoveUpdateLeftovers(std::string_view program_path, time_t now);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_PROGRAM_FOLDER_H_
