// cPumpHookEventLoop: an event loop for the update tests that counts the pumps a transfer
// makes (the window's only chance to stay alive) and runs a hook in each, as a click or a
// passing second would arrive while the transfer waits.
#ifndef HV_CLIENT_UPDATE_TESTING_PUMP_HOOK_EVENT_LOOP_H_
#define HV_CLIENT_UPDATE_TESTING_PUMP_HOOK_EVENT_LOOP_H_

#include <functional>

#include "client/platform/event_loop.h"

namespace hv {

class cPumpHookEventLoop : public cEventLoop {
 public:
  TimerId StartTimer(uint32_t, std::function<void()>) override { return 1; }
  void StopTimer(TimerId) override {}
  WatchId WatchReadable(int, std::function<void()>) override { return 1; }
  void SetWatchEnabled(WatchId, bool) override {}
  void RemoveWatch(WatchId) override {}
  void Pump(uint32_t) override {
    ++pumps;
    if (on_pump) on_pump();
  }

  int pumps = 0;
  std::function<void()> on_pump;
};

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_TESTING_PUMP_HOOK_EVENT_LOOP_H_
