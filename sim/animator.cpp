#include "sim/animator.h"

#include <algorithm>
#include <cmath>

namespace hv::sim {

namespace {

// The animation takes its sensors from the house itself, and the house changes any sensor it
// has, so nothing can fail here.
void SetOwnSensor(House& house, const SensorItem& sensor, uint32_t status, double value) {
  house.SetSensorStatus(sensor.name, status, value, "").Ignore("the sensor is the house's own");
}

}  // namespace

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
      if (tripped_motion_ != nullptr) SetOwnSensor(house_, *tripped_motion_, kMotion, 0);
      break;
    case 1:
      if (tripped_motion_ != nullptr) {
        SetOwnSensor(house_, *tripped_motion_, kMotionStopped, 0);
      }
      tripped_motion_ = nullptr;
      break;
    case 2: {
      const SensorItem* sensor = NextSensor(SensorRole::kTemperature, &temperature_cursor_);
      if (sensor == nullptr) break;
      random_ = random_ * 1103515245u + 12345u;
      double drift = (static_cast<int>((random_ >> 16) % 11) - 5) / 10.0;  // -0.5 .. +0.5
      double value = std::clamp(sensor->value + drift, -40.0, 60.0);
      SetOwnSensor(house_, *sensor, kTemperature, std::round(value * 10) / 10);
      break;
    }
    case 3:
      open_door_ = NextSensor(SensorRole::kDoor, &door_cursor_);
      if (open_door_ != nullptr) SetOwnSensor(house_, *open_door_, kDoorOpen, 0);
      break;
    default:
      if (open_door_ != nullptr) SetOwnSensor(house_, *open_door_, kDoorClosed, 0);
      open_door_ = nullptr;
      break;
  }
}

}  // namespace hv::sim
