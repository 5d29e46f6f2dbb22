// Whole-file writes that never leave a half-written file under the final name: the bytes go
// to a temporary file in the target's folder, are flushed to disk, and the temporary file is
// renamed over the target. A reader sees the old file or the new one, never a mix, and a
// crash leaves at most a stray temporary file.
#ifndef HV_CLIENT_CMDFILE_FILE_REPLACE_H_
#define HV_CLIENT_CMDFILE_FILE_REPLACE_H_

#include <cstddef>
#include <cstdint>

// Replaces (or creates) `path` with `size` bytes of `data`. 0, or kCannotOpenFile when the
// file cannot be written (the old file, if any, is left as it was).
int32_t ReplaceFileWithBytes(const char* path, const void* data, size_t size);

// Replaces (or creates) `to` with a copy of `from`. 0, or kCannotOpenFile when `from`
// cannot be read or `to` cannot be written.
int32_t ReplaceFileWithCopy(const char* from, const char* to);

// Moves `from` to `to`, replacing it: a rename within one file system, else a copy followed
// by the deletion of `from`. 0, or kCannotOpenFile (then `from` is still there, and `to` is
// unchanged, or complete when only the deletion failed: *copied_only tells which).
int32_t MoveFileReplacing(const char* from, const char* to, bool* copied_only = nullptr);

// True when both paths name the same existing file (or folder).
bool SameFile(const char* a, const char* b);

#endif  // HV_CLIENT_CMDFILE_FILE_REPLACE_H_
