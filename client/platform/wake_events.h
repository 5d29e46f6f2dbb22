// cWakeEvents: tells the program that the computer has just woken from suspend, or that its
// network has come back. A connection that was up before either may well be dead now, and
// the program should not wait minutes to find out. The desktop program realises it with the
// session manager's and the network manager's signals; tests use cFakeWakeEvents.
#ifndef HV_CLIENT_PLATFORM_WAKE_EVENTS_H_
#define HV_CLIENT_PLATFORM_WAKE_EVENTS_H_

#include <functional>

namespace hv {

enum class eWakeReason { kResumed, kNetworkBack };

class cWakeEvents {
 public:
  using Handler = std::function<void(eWakeReason)>;
  virtual ~cWakeEvents() = default;
  // `handler` runs on the event loop's thread for every wake from now on; an empty one
  // stops the reports. It replaces any earlier handler.
  virtual void SetHandler(Handler handler) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_WAKE_EVENTS_H_
