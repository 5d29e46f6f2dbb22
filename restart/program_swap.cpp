#include "restart/program_swap.h"

#include <cstring>

#include "core/string/path_name.h"

namespace hv {

namespace {

void Fail(cRestartHost& host, const swString& text) {
  host.Beep();
  host.Note(text.CStr());
}

swString Quoted(const swString& text) { return "\"" + text + "\""; }

swString Because(int error) { return swString(" (") + std::strerror(error) + ")"; }

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
    Fail(host, "the new program file " + Quoted(copy_from) +
                   " is missing or no file; "
                   "nothing was replaced");
    return cSwapResult::kSourceMissing;
  }
  if (files.SameFile(from, to)) {
    Fail(host, Quoted(copy_from) + " already is the program file; nothing was replaced");
    return cSwapResult::kKeptOld;
  }

  const swString backup = BackupName(copy_to);
  if (backup == copy_to && files.Exists(to)) {
    // Deleting "the old backup" would delete the program itself.
    Fail(host, "no backup of " + Quoted(copy_to) +
                   " can be kept under its own name; "
                   "nothing was replaced");
    return cSwapResult::kKeptOld;
  }

  if (files.Exists(backup.CStr())) {
    int error = files.Remove(backup.CStr());
    if (error != 0)
      Fail(host, "the old backup " + Quoted(backup) + " cannot be removed" + Because(error));
  }

  bool backed_up = false;
  if (backup != copy_to) {
    int error = files.MoveNoReplace(to, backup.CStr());
    if (error == 0) {
      backed_up = true;
    } else {
      Fail(host, Quoted(copy_to) + " cannot be kept as " + Quoted(backup) + Because(error));
    }
  }

  // Never replaces: when the old file could not be moved aside, it stays in place.
  int error = files.MoveNoReplace(from, to);
  if (error == 0) {
    // The new file takes the old one's permissions, so it can be run like the old one was.
    int mode_error = backed_up ? files.CopyMode(backup.CStr(), to) : files.MakeRunnable(to);
    if (mode_error != 0) {
      host.Note(
          ("the new program " + Quoted(copy_to) + " may not be runnable" + Because(mode_error))
              .CStr());
    }
    files.SyncDirectory(swPathName(to).DirectoryPath().CStr());
    return cSwapResult::kReplaced;
  }
  Fail(host, Quoted(copy_from) + " cannot be moved to " + Quoted(copy_to) + Because(error));
  if (!backed_up) return cSwapResult::kKeptOld;

  int restore = files.MoveNoReplace(backup.CStr(), to);
  if (restore == 0) {
    host.Note(("the old program is back in place as " + Quoted(copy_to)).CStr());
    return cSwapResult::kRestored;
  }
  swString text;
  (void)text.Format(
      "The program file \"%s\" could not be replaced, and the old program could "
      "not be put back: it is kept as \"%s\".",
      to, backup.CStr());
  host.ShowMessage("Error", text.CStr());
  return cSwapResult::kOnlyBackup;
}

}  // namespace hv
