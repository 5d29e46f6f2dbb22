// cFailingProgramFiles: the real file operations, except that a move into a chosen name or a
// removal of a chosen name fails with a chosen error (running as root, permissions cannot be
// relied on to make them fail).
#ifndef HV_RESTART_TESTING_FAILING_PROGRAM_FILES_H_
#define HV_RESTART_TESTING_FAILING_PROGRAM_FILES_H_

#include <cerrno>
#include <string>
#include <vector>

#include "restart/program_files.h"

namespace hv {

class cFailingProgramFiles : public cPosixProgramFiles {
 public:
  Status MoveNoReplace(const char* from, const char* to) override {
    moves.push_back(std::string(from) + " -> " + to);
    if (to == fail_move_to && move_failures != 0) {
      if (move_failures > 0) --move_failures;
      return SystemFailure(move_error);
    }
    return cPosixProgramFiles::MoveNoReplace(from, to);
  }
  Status Remove(const char* path) override {
    if (path == fail_remove) return SystemFailure(EBUSY);
    return cPosixProgramFiles::Remove(path);
  }

  std::string fail_move_to;
  int move_error = EIO;
  int move_failures = -1;  // how many such moves fail; -1 for every one
  std::string fail_remove;
  std::vector<std::string> moves;
};

}  // namespace hv

#endif  // HV_RESTART_TESTING_FAILING_PROGRAM_FILES_H_
