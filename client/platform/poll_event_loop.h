// cPollEventLoop: the event loop for tests and headless runs, over poll(). Timers take their
// time from a cClock, so with a cFakeClock a test advances time and calls Pump(0) to fire
// whatever has come due, without sleeping.
#ifndef HV_CLIENT_PLATFORM_POLL_EVENT_LOOP_H_
#define HV_CLIENT_PLATFORM_POLL_EVENT_LOOP_H_

#include <cstdint>
#include <functional>
#include <map>

#include "client/platform/event_loop.h"

namespace hv {

class cClock;

class cPollEventLoop : public cEventLoop {
 public:
  // The clock is not owned and must outlive the loop.
  explicit cPollEventLoop(const cClock& clock) : clock_(clock) {}
  cPollEventLoop(const cPollEventLoop&) = delete;
  cPollEventLoop& operator=(const cPollEventLoop&) = delete;

  TimerId StartTimer(uint32_t period_ms, std::function<void()> callback) override;
  void StopTimer(TimerId id) override;
  WatchId WatchReadable(int fd, std::function<void()> callback) override;
  void SetWatchEnabled(WatchId id, bool enabled) override;
  void RemoveWatch(WatchId id) override;
  // Fires due timers, then waits up to wait_ms (less when a timer falls due sooner, by the
  // clock's reckoning) for watched descriptors and runs the watches that are readable.
  void Pump(uint32_t wait_ms) override;

  // Pumps until Quit() is called (from a callback), releasing what was retired after each
  // pass. Only sensible with a real clock.
  void Run();
  void Quit() { quit_ = true; }

  size_t TimerCount() const { return timers_.size(); }
  size_t WatchCount() const { return watches_.size(); }

 private:
  struct Timer {
    uint32_t period_ms;
    uint32_t next_due;
    std::function<void()> callback;
  };
  struct Watch {
    int fd;
    bool enabled;
    std::function<void()> callback;
  };

  void FireDueTimers();
  // Milliseconds until the earliest timer is due (0 when one is due now), capped at limit.
  uint32_t MillisecondsToNextTimer(uint32_t limit) const;

  const cClock& clock_;
  std::map<TimerId, Timer> timers_;
  std::map<WatchId, Watch> watches_;
  uint32_t next_id_ = 1;
  bool quit_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_POLL_EVENT_LOOP_H_
