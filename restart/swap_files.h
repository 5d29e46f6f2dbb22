// cSwapFiles: the file steps of an update swap, on open folders and plain names, so that no
// step follows a symbolic link the swap did not open itself. Every step that changes the disk
// first passes BeforeStep, where a test makes a chosen step fail or ends the process there, as
// a kill would.
#ifndef HV_RESTART_SWAP_FILES_H_
#define HV_RESTART_SWAP_FILES_H_

#include <sys/types.h>

#include <string>

#include "core/status.h"

namespace hv {

// The failure of a system call that set `error` (an errno): its message is what the system
// said, so notes to the user read as the system's own words.
[[nodiscard]] Status SystemFailure(int error);

// A descriptor, closed when it goes.
class cFd {
 public:
  cFd() = default;
  explicit cFd(int fd) : fd_(fd) {}
  ~cFd() { Reset(-1); }
  cFd(cFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  cFd& operator=(cFd&& other) noexcept {
    if (this != &other) {
      Reset(other.fd_);
      other.fd_ = -1;
    }
    return *this;
  }
  cFd(const cFd&) = delete;
  cFd& operator=(const cFd&) = delete;

  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  void Reset(int fd);

 private:
  int fd_ = -1;
};

// Opens `path` as a folder; a symbolic link in its place is refused. Fails (errno) otherwise.
cFd OpenFolderPath(const std::string& path);
// Opens the folder `name` in `folder`, never through a link.
cFd OpenFolderAt(int folder, const std::string& name);
// Opens the file `name` in `folder` to read, never through a link and without blocking on a
// pipe.
cFd OpenFileAt(int folder, const std::string& name);

class cSwapFiles {
 public:
  virtual ~cSwapFiles() = default;

  // Each step: ok, or what the system said.
  [[nodiscard]] Status SetMode(int fd, mode_t mode);
  [[nodiscard]] Status MakeFolder(int folder, const std::string& name);
  // A new empty file (mode 0600); one that is there already counts as made.
  [[nodiscard]] Status MakeMark(int folder, const std::string& name);
  // A second name for a file; an existing `to` is never replaced.
  [[nodiscard]] Status Link(int from_folder, const std::string& from, int to_folder,
                            const std::string& to);
  // Replaces `to`, when it exists, in one step.
  [[nodiscard]] Status Rename(int from_folder, const std::string& from, int to_folder,
                              const std::string& to);
  // A name that is not there counts as removed.
  [[nodiscard]] Status Remove(int folder, const std::string& name, bool is_folder = false);

  // Opens the folders of `relative` below `base` one name at a time, making missing ones
  // (a step each) when `make` is set.
  cFd OpenFoldersBelow(int base, const std::string& relative, bool make, Status* failed);
  // Removes the folder `name` in `parent` with everything in it; links are removed, never
  // followed.
  [[nodiscard]] Status RemoveTree(int parent, const std::string& name);

 protected:
  // Before each step that changes the disk; `what` names it. A failure stops the step.
  virtual Status BeforeStep(const std::string& what) {
    (void)what;
    return Status::Ok();
  }
};

}  // namespace hv

#endif  // HV_RESTART_SWAP_FILES_H_
