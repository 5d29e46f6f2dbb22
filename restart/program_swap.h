// Puts a new program file in the place of the old one, keeping the old one as a backup with
// the extension "bak". Every step is tried even when one before it failed, but the old
// program is never left without a way back: a new file that cannot be moved into place
// brings the backup back.
#ifndef HV_RESTART_PROGRAM_SWAP_H_
#define HV_RESTART_PROGRAM_SWAP_H_

#include "core/string/sw_string.h"
#include "restart/program_files.h"
#include "restart/restart_host.h"

namespace hv {

enum class cSwapResult {
  kNotAsked,       // Copy From or Copy To was not given
  kSourceMissing,  // no new program file: nothing was touched
  kReplaced,       // the new file is in place (with the old one as backup when there was one)
  kKeptOld,        // the new file could not be moved in; the old program stays where it was
  kRestored,       // the move failed after the backup was made; the backup was moved back
  kOnlyBackup,     // the move failed and the backup could not be moved back (user is told)
};

// The backup name of `path`: its extension replaced by "bak".
swString BackupName(const swString& path);

// Replaces `copy_to` with `copy_from`. Beeps (and notes why) for each failed step.
cSwapResult ReplaceProgramFile(const swString& copy_from, const swString& copy_to,
                               cProgramFiles& files, cRestartHost& host);

}  // namespace hv

#endif  // HV_RESTART_PROGRAM_SWAP_H_
