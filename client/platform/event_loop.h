// cEventLoop: the one-thread event loop the client runs on. Timers, a readability watch on
// a descriptor (the socket's data-arrived notification) and a pump that runs whatever is
// pending, so a blocking wait can keep the window alive. Small on purpose: the Qt
// realisation is a thin adapter over QTimer, QSocketNotifier and processEvents.
//
// Callbacks run on the loop's thread, from Pump(), Run() or the toolkit's own loop. A
// callback may start or stop timers and add, pause or remove watches, its own included.
//
// Waits run the loop, so an event may want to free something that a call further up the
// stack is still using (a view replaced while its send waits). Such things are retired
// instead: Retire keeps them until the outermost pass of the loop has ended, when nothing
// of the program is on the stack any more.
#ifndef HV_CLIENT_PLATFORM_EVENT_LOOP_H_
#define HV_CLIENT_PLATFORM_EVENT_LOOP_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace hv {

class cEventLoop {
 public:
  // Ids are never 0, so 0 can mean "none".
  using TimerId = uint32_t;
  using WatchId = uint32_t;

  // Whatever is still retired is freed with the loop.
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

  // `release` runs once the outermost pass of the loop has ended: never from inside a Pump
  // or a callback, never from inside Retire. What a release frees must stay valid until
  // then; a release whose owner may go first checks an hv::cLifetime watch. The program's
  // own loop releases when it is back at its top with no other loop running inside it; a
  // test, being the outermost loop itself, calls ReleaseRetired where a pass would end.
  void Retire(std::function<void()> release);
  template <class T>
  void Retire(std::unique_ptr<T> object) {
    if (object != nullptr) Retire([doomed = std::shared_ptr<T>(std::move(object))] {});
  }
  size_t RetiredCount() const { return retired_.size(); }
  // Runs every release now, those that releases retire included. Only where no pass can be
  // on the stack: the top of the loop, the end of the program, a test.
  void ReleaseRetired();
  // How many Pumps are running, one inside the other (0: none).
  int32_t PassDepth() const { return pass_depth_; }

 protected:
  // Realisations bracket every Pump with these.
  void EnterPass() { ++pass_depth_; }
  void LeavePass() { --pass_depth_; }
  // Something was retired; a realisation arranges to release at its top.
  virtual void OnRetired() {}

 private:
  std::vector<std::function<void()>> retired_;
  int32_t pass_depth_ = 0;
  bool releasing_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_EVENT_LOOP_H_
