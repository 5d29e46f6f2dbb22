// cProgramFiles: the file operations of a program file swap, behind an interface so a test
// can make any one of them fail. cPosixProgramFiles is the real one.
#ifndef HV_RESTART_PROGRAM_FILES_H_
#define HV_RESTART_PROGRAM_FILES_H_

#include "core/status.h"

namespace hv {

// The failure of a system call that set `error` (an errno): its message is what the system
// said, so notes to the user read as the system's own words.
[[nodiscard]] Status SystemFailure(int error);

class cProgramFiles {
 public:
  virtual ~cProgramFiles() = default;

  // A regular file (through symbolic links).
  virtual bool IsFile(const char* path) = 0;
  // Anything at all under that name, a dangling symbolic link included.
  virtual bool Exists(const char* path) = 0;
  // Both names lead to the same file.
  virtual bool SameFile(const char* a, const char* b) = 0;
  // Each step below fails (a SystemFailure) with what the system said about it.
  [[nodiscard]] virtual Status Remove(const char* path) = 0;
  // Renames `from` to `to`, which must not exist: an existing `to` is never replaced (it fails
  // as EEXIST). Across file systems the file is copied and the original removed.
  [[nodiscard]] virtual Status MoveNoReplace(const char* from, const char* to) = 0;
  // Gives `path` the permission bits of `model`.
  [[nodiscard]] virtual Status CopyMode(const char* model, const char* path) = 0;
  // Lets everyone who may read `path` also run it.
  [[nodiscard]] virtual Status MakeRunnable(const char* path) = 0;
  // Makes the renames in `directory` durable.
  virtual void SyncDirectory(const char* directory) = 0;
};

class cPosixProgramFiles : public cProgramFiles {
 public:
  bool IsFile(const char* path) override;
  bool Exists(const char* path) override;
  bool SameFile(const char* a, const char* b) override;
  Status Remove(const char* path) override;
  Status MoveNoReplace(const char* from, const char* to) override;
  Status CopyMode(const char* model, const char* path) override;
  Status MakeRunnable(const char* path) override;
  void SyncDirectory(const char* directory) override;
};

}  // namespace hv

#endif  // HV_RESTART_PROGRAM_FILES_H_
