// cEventLoop: the one-thread event loop the client runs on. Timers, a readability watch on
// a descriptor (the socket's data-arrived notification) and a pump that runs whatever is
// pending, so a blocking wait can keep the window alive. Small on purpose: the Qt
// realisation is a thin adapter over QTimer, QSocketNotifier and processEvents.
//
// Callbacks run on the loop's thread, from Pump(), Run() or the toolkit's own loop. A
// callback may start or stop timers and add, pause or remove watches, its own included.
#ifndef HV_CLIENT_PLATFORM_EVENT_LOOP_H_
#define HV_CLIENT_PLATFORM_EVENT_LOOP_H_

#include <cstdint>
#include <functional>

namespace hv {

class cEventLoop {
 public:
  // Ids are never 0, so 0 can mean "none".
  using TimerId = uint32_t;
  using WatchId = uint32_t;

  virtual ~cEventLoop() = default;

  // A repeating timer: `callback` runs every period_ms (at the first pump at or after each
  // due moment; missed periods are not replayed). Returns its id.
  virtual TimerId StartTimer(uint32_t period_ms, std::function<void()> callback) = 0;
  // Stops a timer; unknown ids (and 0) are ignored.
  virtual void StopTimer(TimerId id) = 0;

  // Calls `callback` whenever fd is readable (level-triggered: again and again while unread
  // bytes or an end of stream are there, so the owner must read, pause or remove it).
  // The descriptor is not owned; remove the watch before closing it.
  virtual WatchId WatchReadable(int fd, std::function<void()> callback) = 0;
  // A paused watch keeps its registration but reports nothing until resumed.
  virtual void SetWatchEnabled(WatchId id, bool enabled) = 0;
  virtual void RemoveWatch(WatchId id) = 0;

  // Runs the events that are pending now, waiting at most wait_ms for one to arrive
  // (0: do not wait). Used by blocking waits so the window keeps working.
  virtual void Pump(uint32_t wait_ms) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_EVENT_LOOP_H_
