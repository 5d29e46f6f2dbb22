// cQtEventLoop: the event loop interface over Qt's own loop, for the real program. Timers
// are QTimers, readability watches QSocketNotifiers, and Pump runs Qt's pending events, so
// a blocking socket wait keeps the windows painting and answering. A QCoreApplication must
// exist before it is made and outlive it.
//
// What is retired is released from a timer of Qt's own loop that finds no Pump running and
// no nested loop (a modal dialog, a popup menu) inside the main one: only then is no handler
// of the program on the stack.
#ifndef HV_CLIENT_UI_QT_QT_EVENT_LOOP_H_
#define HV_CLIENT_UI_QT_QT_EVENT_LOOP_H_

#include <map>
#include <memory>

#include "client/platform/event_loop.h"

class QObject;
class QSocketNotifier;
class QTimer;

namespace hv {

class cQtEventLoop : public cEventLoop {
 public:
  cQtEventLoop();
  ~cQtEventLoop() override;
  cQtEventLoop(const cQtEventLoop&) = delete;
  cQtEventLoop& operator=(const cQtEventLoop&) = delete;

  TimerId StartTimer(uint32_t period_ms, std::function<void()> callback) override;
  void StopTimer(TimerId id) override;
  WatchId WatchReadable(int fd, std::function<void()> callback) override;
  void SetWatchEnabled(WatchId id, bool enabled) override;
  void RemoveWatch(WatchId id) override;
  // Runs the pending events; with wait_ms above 0 it first waits up to that long for one.
  void Pump(uint32_t wait_ms) override;

  size_t TimerCount() const { return timers_.size(); }
  size_t WatchCount() const { return watches_.size(); }

 protected:
  void OnRetired() override;

 private:
  // How long a release that found the loop busy waits before it looks again.
  static constexpr int kReleaseRetryMs = 20;
  void ArmRelease(int delay_ms);

  struct cTimer;
  struct cWatch;

  std::map<TimerId, std::unique_ptr<cTimer>> timers_;
  std::map<WatchId, std::unique_ptr<cWatch>> watches_;
  uint32_t next_id_ = 1;
  std::unique_ptr<QObject> release_context_;  // ends the release timer with the loop
  bool release_armed_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_EVENT_LOOP_H_
