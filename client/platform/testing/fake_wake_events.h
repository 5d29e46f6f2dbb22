// cFakeWakeEvents: wake reports a test sends by hand.
#ifndef HV_CLIENT_PLATFORM_TESTING_FAKE_WAKE_EVENTS_H_
#define HV_CLIENT_PLATFORM_TESTING_FAKE_WAKE_EVENTS_H_

#include <utility>

#include "client/platform/wake_events.h"

namespace hv {

class cFakeWakeEvents : public cWakeEvents {
 public:
  void SetHandler(Handler handler) override { handler_ = std::move(handler); }
  // Reports a wake; false when nobody listens.
  bool Wake(eWakeReason reason = eWakeReason::kResumed) {
    if (!handler_) return false;
    handler_(reason);
    return true;
  }
  bool Listening() const { return static_cast<bool>(handler_); }

 private:
  Handler handler_;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_TESTING_FAKE_WAKE_EVENTS_H_
