// cRestartHost: what the restart program needs of the system besides files: time, the
// warning sound, messages to the user and starting a program. The program uses
// cSystemRestartHost; tests use a fake whose clock moves only when the run pauses.
#ifndef HV_RESTART_RESTART_HOST_H_
#define HV_RESTART_RESTART_HOST_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cRestartHost {
 public:
  virtual ~cRestartHost() = default;

  // Milliseconds from a fixed start; wraps around at 2^32.
  virtual uint32_t TickCount() = 0;
  // Lets about `ms` milliseconds pass (the wait between two looks at the clock).
  virtual void Pause(uint32_t ms) = 0;
  // The warning sound of a failed file step.
  virtual void Beep() = 0;
  // A message the user must see, with its caption ("Error", "Bad command line parameter").
  virtual void ShowMessage(const char* caption, const char* text) = 0;
  // A line that says what went wrong in a step that only beeps.
  virtual void Note(const char* text) = 0;
  // True while the process `pid` runs (one that has ended but was not yet reaped has not).
  virtual bool ProcessRuns(int32_t pid) = 0;
  // Starts `program` with `directory` (when not empty) as its working directory and does not
  // wait for it. Fails with what the system said (a SystemFailure) when it cannot be started.
  [[nodiscard]] virtual Status Launch(const swString& program, const swString& directory) = 0;
};

}  // namespace hv

#endif  // HV_RESTART_RESTART_HOST_H_
