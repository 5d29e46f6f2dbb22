#include "client/platform/system_clock.h"

#include <ctime>

namespace hv {

uint32_t cSystemClock::TickCount() const {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Truncation to 32 bits is the intended wrap-around of a tick count.
  uint64_t ms =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

cLocalTime cSystemClock::LocalTime() const {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  time_t seconds = now.tv_sec;
  tm fields{};
  if (localtime_r(&seconds, &fields) == nullptr) return cLocalTime();
  return LocalTimeFromFields(fields, static_cast<int>(now.tv_nsec / 1000000));
}

}  // namespace hv
