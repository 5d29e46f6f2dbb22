// swStorable: the base of every object that can be listed or written to an archive.
#ifndef HV_CORE_STORABLE_H_
#define HV_CORE_STORABLE_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class swSerializer;

// Class ids: the core library owns 5000 and up, the client counts from 4000.
enum : uint16_t {
  kClassString = 5000,
  kClassList = 5001,
  kClassColor = 5002,
  kClassGuid = 5003,
  kClassPoint = 5004,
  kClassRect = 5005,
  kClassCharMask = 5006,
  kClassStringTable = 5007,
  kClassDbPropData = 5008,
  kClassDbPropSetData = 5009,
  kClassDbPropertySetsData = 5010,
  kClassPropData = 5011,
  kClassPropSetData = 5012,
  kClassPropertySetsData = 5013,
  kClassClientStorage = 4000,
  kClassMonitorCommandFile = 4001,
};

class swStorable {
 public:
  virtual ~swStorable() = default;
  // 16-bit id, unique per storable class; 0 for classes that are listed but never archived.
  virtual uint16_t ClassId() const = 0;
  // Writes the object to, or reads it from, the serializer (its IsStoring() says which).
  // Fails when the serializer failed or the stored form is not one this class reads.
  [[nodiscard]] virtual hv::Status Serialize(swSerializer& archive) = 0;
};

}  // namespace hv

#endif  // HV_CORE_STORABLE_H_
