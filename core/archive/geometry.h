// swColor, swPoint, swRect: small storable values of the core library. Nothing in the client
// creates them, but archives written by other programs of the library may hold them, so an
// archive's class registry can create them.
#ifndef HV_CORE_ARCHIVE_GEOMETRY_H_
#define HV_CORE_ARCHIVE_GEOMETRY_H_

#include <cstdint>

#include "core/storable.h"

namespace hv {

// An RGB colour as one 32-bit value (red in the low byte).
class swColor : public swStorable {
 public:
  uint16_t ClassId() const override { return kClassColor; }
  hv::Status Serialize(swSerializer& archive) override;  // the value, version 1

  uint32_t rgb = 0;
};

class swPoint : public swStorable {
 public:
  uint16_t ClassId() const override { return kClassPoint; }
  hv::Status Serialize(swSerializer& archive) override;  // x, y as 32-bit values of version 1

  int32_t x = 0;
  int32_t y = 0;
};

class swRect : public swStorable {
 public:
  uint16_t ClassId() const override { return kClassRect; }
  // left, top, right, bottom as 32-bit values of version 1
  hv::Status Serialize(swSerializer& archive) override;

  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_GEOMETRY_H_
