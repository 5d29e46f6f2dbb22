#include "sim/animator.h"

#include <algorithm>
#include <cmath>

namespace hv::sim {

const SensorItem* Animator::NextSensor(SensorRole role, size_t* cursor) const {
  const auto& sensors = house_.data().sensors;
  for (size_t tried = 0; tried < sensors.size(); ++tried) {
    size_t index = (*cursor + tried) % sensors.size();
    if (sensors[index].role == role) {
      *cursor = index + 1;
      return &sensors[index];
    }
  }
  return nullptr;
}

void Animator::Step() {
  // Sensors live in the house's vector, which never changes size after start, so the
  // pointers kept between steps stay valid.
  switch (phase_++ % 5) {
    case 0:
      tripped_motion_ = NextSensor(SensorRole::kMotion, &motion_cursor_);
      if (tripped_motion_ != nullptr) house_.SetSensorStatus(tripped_motion_->name, kMotion, 0, "");
      break;
    case 1:
      if (tripped_motion_ != nullptr) {
        house_.SetSensorStatus(tripped_motion_->name, kMotionStopped, 0, "");
      }
      tripped_motion_ = nullptr;
      break;
    case 2: {
      const SensorItem* sensor = NextSensor(SensorRole::kTemperature, &temperature_cursor_);
      if (sensor == nullptr) break;
      random_ = random_ * 1103515245u + 12345u;
      double drift = (static_cast<int>((random_ >> 16) % 11) - 5) / 10.0;  // -0.5 .. +0.5
      double value = std::clamp(sensor->value + drift, -40.0, 60.0);
      house_.SetSensorStatus(sensor->name, kTemperature, std::round(value * 10) / 10, "");
      break;
    }
    case 3:
      open_door_ = NextSensor(SensorRole::kDoor, &door_cursor_);
      if (open_door_ != nullptr) house_.SetSensorStatus(open_door_->name, kDoorOpen, 0, "");
      break;
    default:
      if (open_door_ != nullptr) house_.SetSensorStatus(open_door_->name, kDoorClosed, 0, "");
      open_door_ = nullptr;
      break;
  }
}

}  // namespace hv::sim
