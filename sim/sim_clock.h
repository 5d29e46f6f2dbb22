// SimClock: where housesim reads time. The program uses SystemSimClock; tests use FakeSimClock
// and move time by hand, so macro runs and the animation need no real waiting.
#ifndef HV_SIM_SIM_CLOCK_H_
#define HV_SIM_SIM_CLOCK_H_

#include <cstdint>

namespace hv::sim {

class SimClock {
 public:
  virtual ~SimClock() = default;
  // Monotonic milliseconds from an arbitrary origin; never wraps in practice (64 bits).
  virtual uint64_t NowMs() const = 0;
  // Wall-clock seconds since 1970-01-01 00:00 UTC.
  virtual int64_t WallSeconds() const = 0;
};

class SystemSimClock : public SimClock {
 public:
  uint64_t NowMs() const override;
  int64_t WallSeconds() const override;
};

// Starts at 2024-01-15 09:30:00 UTC; only Advance() moves it, wall time and ticks together.
class FakeSimClock : public SimClock {
 public:
  uint64_t NowMs() const override { return now_ms_; }
  int64_t WallSeconds() const override { return wall_base_ + static_cast<int64_t>(now_ms_ / 1000); }
  void Advance(uint64_t ms) { now_ms_ += ms; }

 private:
  uint64_t now_ms_ = 0;
  int64_t wall_base_ = 1705311000;
};

}  // namespace hv::sim

#endif  // HV_SIM_SIM_CLOCK_H_
