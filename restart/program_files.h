// cProgramFiles: the file operations of a program file swap, behind an interface so a test
// can make any one of them fail. cPosixProgramFiles is the real one.
#ifndef HV_RESTART_PROGRAM_FILES_H_
#define HV_RESTART_PROGRAM_FILES_H_

namespace hv {

class cProgramFiles {
 public:
  virtual ~cProgramFiles() = default;

  // A regular file (through symbolic links).
  virtual bool IsFile(const char* path) = 0;
  // Anything at all under that name, a dangling symbolic link included.
  virtual bool Exists(const char* path) = 0;
  // Both names lead to the same file.
  virtual bool SameFile(const char* a, const char* b) = 0;
  // 0, or the errno of the failure.
  [[nodiscard]] virtual int Remove(const char* path) = 0;
  // Renames `from` to `to`, which must not exist: an existing `to` is never replaced (EEXIST).
  // Across file systems the file is copied and the original removed. 0, or the errno.
  [[nodiscard]] virtual int MoveNoReplace(const char* from, const char* to) = 0;
  // Gives `path` the permission bits of `model` (0 or errno).
  [[nodiscard]] virtual int CopyMode(const char* model, const char* path) = 0;
  // Lets everyone who may read `path` also run it (0 or errno).
  [[nodiscard]] virtual int MakeRunnable(const char* path) = 0;
  // Makes the renames in `directory` durable.
  virtual void SyncDirectory(const char* directory) = 0;
};

class cPosixProgramFiles : public cProgramFiles {
 public:
  bool IsFile(const char* path) override;
  bool Exists(const char* path) override;
  bool SameFile(const char* a, const char* b) override;
  int Remove(const char* path) override;
  int MoveNoReplace(const char* from, const char* to) override;
  int CopyMode(const char* model, const char* path) override;
  int MakeRunnable(const char* path) override;
  void SyncDirectory(const char* directory) override;
};

}  // namespace hv

#endif  // HV_RESTART_PROGRAM_FILES_H_
