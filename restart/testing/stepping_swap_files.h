// cSteppingSwapFiles: the real file steps, counted, with one chosen step made to fail, or the
// process ended right before it as a kill would end it (for a test that runs the swap in a
// child process).
#ifndef HV_RESTART_TESTING_STEPPING_SWAP_FILES_H_
#define HV_RESTART_TESTING_STEPPING_SWAP_FILES_H_

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "restart/swap_files.h"

namespace hv {

class cSteppingSwapFiles : public cSwapFiles {
 public:
  // The exit status of a process ended at `die_at`.
  static constexpr int kKilled = 77;

  int steps = 0;
  int die_at = -1;        // the step (from 0) before which the process ends
  std::string fail_when;  // a step whose description starts with this fails ...
  int fail_error = EIO;   // ... with this errno
  std::vector<std::string> done;

 protected:
  Status BeforeStep(const std::string& what) override {
    if (steps++ == die_at) _exit(kKilled);
    if (!fail_when.empty() && what.rfind(fail_when, 0) == 0) return SystemFailure(fail_error);
    done.push_back(what);
    return Status::Ok();
  }
};

}  // namespace hv

#endif  // HV_RESTART_TESTING_STEPPING_SWAP_FILES_H_
