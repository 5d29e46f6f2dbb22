// Swaps an update's files into place: every new file is opened without following a link,
// must be a regular file of this user with no second name, and must have the SHA-256 the
// client's list gives; only then is anything changed. Each file gets its mode before it moves,
// the data files go in first and the program last, the old program is kept as "<name>.bak" by
// a hard link and replaced by one rename, so the program path names the old or the new
// program at every moment, also after a kill. A step that fails puts back what was swapped.
#ifndef HV_RESTART_UPDATE_SWAP_H_
#define HV_RESTART_UPDATE_SWAP_H_

#include "core/string/sw_string.h"
#include "restart/restart_host.h"
#include "restart/swap_files.h"

namespace hv {

enum class cSwapResult {
  kNotAsked,    // Copy From or Copy To was not given
  kRefused,     // a file or the list failed a check: nothing was changed
  kReplaced,    // every file is in place, the old program kept as backup
  kRolledBack,  // a step failed part-way; the files swapped before it were put back
  kBroken,      // a step failed and not everything could be put back (the user is told)
};

struct cSwapRequest {
  swString copy_from;  // the new program, in the staging folder
  swString copy_to;    // the program it replaces
  swString list_file;  // the list of every new file; its folder is the staging folder
};

// The backup name of `path`: its extension replaced by "bak".
swString BackupName(const swString& path);

// Swaps in the files of `request`. Beeps (and notes why) for a failed step; the staging folder
// is removed afterwards unless it still holds files that could not be put back.
cSwapResult SwapInUpdate(const cSwapRequest& request, cSwapFiles& files, cRestartHost& host);

}  // namespace hv

#endif  // HV_RESTART_UPDATE_SWAP_H_
