#include "sim/sim_clock.h"

#include <ctime>

namespace hv::sim {

uint64_t SystemSimClock::NowMs() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec / 1000000);
}

int64_t SystemSimClock::WallSeconds() const { return static_cast<int64_t>(time(nullptr)); }

}  // namespace hv::sim
