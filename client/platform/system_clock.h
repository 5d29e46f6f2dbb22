// cSystemClock: the real clock, from CLOCK_MONOTONIC and the C library's local time.
#ifndef HV_CLIENT_PLATFORM_SYSTEM_CLOCK_H_
#define HV_CLIENT_PLATFORM_SYSTEM_CLOCK_H_

#include "client/platform/clock.h"

namespace hv {

class cSystemClock : public cClock {
 public:
  uint32_t TickCount() const override;
  cLocalTime LocalTime() const override;
};

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_SYSTEM_CLOCK_H_
