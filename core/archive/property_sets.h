// The property-set data classes of the core library. The client never fills them; they exist
// so that an archive's class registry can create every core class id. Each stores nothing.
#ifndef HV_CORE_ARCHIVE_PROPERTY_SETS_H_
#define HV_CORE_ARCHIVE_PROPERTY_SETS_H_

#include <cstdint>

#include "core/storable.h"

namespace hv {

// An empty storable of a fixed class id.
template <uint16_t kId>
class swEmptyStorable : public swStorable {
 public:
  uint16_t ClassId() const override { return kId; }
  hv::Status Serialize(swSerializer&) override { return hv::Status::Ok(); }
};

class swDbPropData : public swEmptyStorable<kClassDbPropData> {};
class swDbPropSetData : public swEmptyStorable<kClassDbPropSetData> {};
class swDbPropertySetsData : public swEmptyStorable<kClassDbPropertySetsData> {};
class swPropData : public swEmptyStorable<kClassPropData> {};
class swPropSetData : public swEmptyStorable<kClassPropSetData> {};
class swPropertySetsData : public swEmptyStorable<kClassPropertySetsData> {};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_PROPERTY_SETS_H_
