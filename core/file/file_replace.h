// Whole-file writes that never leave a half-written file under the final name: the bytes go
// to a temporary file in the target's folder, are flushed to disk, and the temporary file is
// renamed over the target. A reader sees the old file or the new one, never a mix, and a
// crash leaves at most a stray temporary file.
#ifndef HV_CORE_FILE_FILE_REPLACE_H_
#define HV_CORE_FILE_FILE_REPLACE_H_

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/status.h"

namespace hv {

// One atomic replacement of a file. The constructor makes a temporary file beside the target
// (same folder, so the rename stays on one file system); the caller writes it, and Commit
// (or FinishWrittenThrough) renames it over the target. Until then the target is untouched,
// and the temporary file goes with the object, unless Abandon left it where it is (what a
// crash would leave).
class cFileReplacement {
 public:
  // The temporary file is "<target's folder>/<prefix>XXXXXX".
  cFileReplacement(const std::string& target, const std::string& prefix);
  ~cFileReplacement();
  cFileReplacement(const cFileReplacement&) = delete;
  cFileReplacement& operator=(const cFileReplacement&) = delete;

  // False when the temporary file could not be made.
  bool IsOpen() const { return !temporary_.empty(); }
  // The temporary file, open for writing (-1 once closed or committed).
  int Descriptor() const { return fd_; }
  const std::string& TemporaryPath() const { return temporary_; }
  // For callers that write the temporary file through a handle of their own.
  void CloseDescriptor();

  // Flushes the bytes written through Descriptor() to disk, gives the file `mode` (0: keeps
  // mkstemp's 0600), renames it over the target and flushes the folder. Fails with
  // kCannotOpenFile (where: kFile), and then the target is as it was.
  [[nodiscard]] hv::Status Commit(mode_t mode);
  // The same in steps, for callers that flushed and closed their own handle: the rename,
  // then the folder's flush that makes the rename survive a crash.
  [[nodiscard]] hv::Status RenameOverTarget();
  void SyncFolder() const;

  // Leaves the temporary file in place.
  void Abandon() { abandoned_ = true; }

 private:
  std::string target_;
  std::string folder_;
  std::string temporary_;
  int fd_ = -1;
  bool renamed_ = false;
  bool abandoned_ = false;
};

// These fail with kMissingArgument when a path is null or empty; a refusal of the platform
// carries the path and the reason in its message.

// The mode of a replaced file: mkstemp makes it 0600, and a replaced file is one the user
// reads with other programs.
constexpr mode_t kSharedFileMode = 0644;

// Replaces (or creates) `path` with `size` bytes of `data`, with permissions `mode`. Fails
// with kCannotOpenFile when the file cannot be written (the old file, if any, is left as it
// was).
[[nodiscard]] hv::Status ReplaceFileWithBytes(const char* path, const void* data, size_t size,
                                              mode_t mode = kSharedFileMode);

// Replaces (or creates) `to` with a copy of `from`. Fails with kCannotOpenFile when `from`
// cannot be read or `to` cannot be written.
[[nodiscard]] hv::Status ReplaceFileWithCopy(const char* from, const char* to);

// Moves `from` to `to`, replacing it: a rename within one file system, else a copy followed
// by the deletion of `from`. Fails with kCannotOpenFile (then `from` is still there, and `to`
// is unchanged, or complete when only the deletion failed: *copied_only tells which).
[[nodiscard]] hv::Status MoveFileReplacing(const char* from, const char* to,
                                           bool* copied_only = nullptr);

// True when both paths name the same existing file (or folder).
bool SameFile(const char* a, const char* b);

}  // namespace hv

#endif  // HV_CORE_FILE_FILE_REPLACE_H_
