#include "restart/program_swap.h"

#include "core/string/path_name.h"
#include "core/string/plain_text.h"

namespace hv {

namespace {

void Fail(cRestartHost& host, const swString& text) {
  host.Beep();
  host.Note(text.CStr());
}

// A path in a note: quoted, and kept on one line whatever characters its name holds.
swString QuotedPath(const swString& path) { return swString(Quoted(path.CStr()).c_str()); }

// What the system said about a failed step, in parentheses.
swString Because(const Status& failed) { return swString(" (") + failed.message().c_str() + ")"; }

}  // namespace

swString BackupName(const swString& path) {
  swPathName parts(path.CStr());
  parts.extension = "bak";
  return parts.FullPath();
}

cSwapResult ReplaceProgramFile(const swString& copy_from, const swString& copy_to,
                               cProgramFiles& files, cRestartHost& host) {
  if (copy_from.GetLength() == 0 || copy_to.GetLength() == 0) return cSwapResult::kNotAsked;
  const char* from = copy_from.CStr();
  const char* to = copy_to.CStr();
  if (!files.IsFile(from)) {
    Fail(host, files.Exists(from)
                   ? QuotedPath(copy_from) + " is not a file, so it cannot be the new program; " +
                         "nothing was replaced"
                   : "the new program file " + QuotedPath(copy_from) +
                         " is not there; nothing was replaced");
    return cSwapResult::kSourceMissing;
  }
  if (files.SameFile(from, to)) {
    Fail(host, QuotedPath(copy_from) + " already is the program file; nothing was replaced");
    return cSwapResult::kKeptOld;
  }

  const swString backup = BackupName(copy_to);
  if (backup == copy_to && files.Exists(to)) {
    // Deleting "the old backup" would delete the program itself.
    Fail(host, "no backup of " + QuotedPath(copy_to) +
                   " can be kept under its own name; "
                   "nothing was replaced");
    return cSwapResult::kKeptOld;
  }

  if (files.Exists(backup.CStr())) {
    const Status removed = files.Remove(backup.CStr());
    if (!removed.ok())
      Fail(host, "the old backup " + QuotedPath(backup) + " cannot be removed" + Because(removed));
  }

  bool backed_up = false;
  if (backup != copy_to) {
    const Status kept = files.MoveNoReplace(to, backup.CStr());
    if (kept.ok()) {
      backed_up = true;
    } else {
      Fail(host, QuotedPath(copy_to) + " cannot be kept as " + QuotedPath(backup) + Because(kept));
    }
  }

  // Never replaces: when the old file could not be moved aside, it stays in place.
  const Status moved = files.MoveNoReplace(from, to);
  if (moved.ok()) {
    // The new file takes the old one's permissions, so it can be run like the old one was.
    const Status mode = backed_up ? files.CopyMode(backup.CStr(), to) : files.MakeRunnable(to);
    if (!mode.ok()) {
      host.Note(("the new program " + QuotedPath(copy_to) + " may not be runnable" + Because(mode))
                    .CStr());
    }
    files.SyncDirectory(swPathName(to).DirectoryPath().CStr());
    return cSwapResult::kReplaced;
  }
  Fail(host, QuotedPath(copy_from) + " cannot be moved to " + QuotedPath(copy_to) + Because(moved));
  if (!backed_up) return cSwapResult::kKeptOld;

  if (files.MoveNoReplace(backup.CStr(), to).ok()) {
    host.Note(("the old program is back in place as " + QuotedPath(copy_to)).CStr());
    return cSwapResult::kRestored;
  }
  swString text;
  text.Format(
      "The program file \"%s\" could not be replaced, and the old program could "
      "not be put back: it is kept as \"%s\".",
      to, backup.CStr());
  host.ShowMessage("Error", text.CStr());
  return cSwapResult::kOnlyBackup;
}

}  // namespace hv
