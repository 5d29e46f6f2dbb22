// cTerminationSignals: SIGTERM and SIGINT turned into an ordinary event of the loop, so the
// program ends through its normal end path (settings file written, window values kept)
// instead of dying where it stands. The signal handler only writes a byte to a pipe; the
// loop watches the pipe and runs the callback on its own thread.
//
// A signal handler can only reach a process-wide descriptor, so at most one instance may
// watch at a time; a second Start fails. The previous handlers come back on destruction.
#ifndef HV_CLIENT_SHELL_APP_TERMINATION_SIGNALS_H_
#define HV_CLIENT_SHELL_APP_TERMINATION_SIGNALS_H_

#include <signal.h>

#include <cstdint>
#include <functional>

#include "client/platform/event_loop.h"
#include "core/status.h"

namespace hv {

class cTerminationSignals {
 public:
  // The loop must outlive the object.
  explicit cTerminationSignals(cEventLoop& loop) : loop_(loop) {}
  cTerminationSignals(const cTerminationSignals&) = delete;
  cTerminationSignals& operator=(const cTerminationSignals&) = delete;
  ~cTerminationSignals();

  // From now on each SIGTERM or SIGINT calls `on_signal` with the signal's number from the
  // loop. Ok; kCannotOpenFile when the pipe or the handlers cannot be set up (or another
  // instance is watching).
  [[nodiscard]] Status Start(std::function<void(int)> on_signal);

 private:
  void Drain();
  void Stop();

  cEventLoop& loop_;
  std::function<void(int)> on_signal_;
  int read_fd_ = -1;
  int write_fd_ = -1;
  cEventLoop::WatchId watch_ = 0;
  bool installed_ = false;
  struct sigaction previous_term_ {};
  struct sigaction previous_int_ {};
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_TERMINATION_SIGNALS_H_
