// Animator: makes the house live on its own for demos. Each step does one thing, in turn:
// a motion sensor trips, it clears again, a temperature drifts, a door opens, it closes.
// The server calls Step() once per animation period; the changes reach clients through the
// house's listener like any other change.
#ifndef HV_SIM_ANIMATOR_H_
#define HV_SIM_ANIMATOR_H_

#include <cstdint>

#include "sim/house.h"

namespace hv::sim {

class Animator {
 public:
  // The house must outlive the animator.
  explicit Animator(House& house) : house_(house) {}

  void Step();

 private:
  // The next sensor of the role after the last one used, or null when the house has none.
  const SensorItem* NextSensor(SensorRole role, size_t* cursor) const;

  House& house_;
  uint32_t phase_ = 0;
  uint32_t random_ = 12345;
  size_t motion_cursor_ = 0;
  size_t door_cursor_ = 0;
  size_t temperature_cursor_ = 0;
  const SensorItem* tripped_motion_ = nullptr;
  const SensorItem* open_door_ = nullptr;
};

}  // namespace hv::sim

#endif  // HV_SIM_ANIMATOR_H_
