// The core classes every archive of the library can create, in one table.
#include <new>
#include <string>

#include "core/archive/archive.h"
#include "core/archive/geometry.h"
#include "core/archive/property_sets.h"
#include "core/archive/string_table.h"
#include "core/guid/guid.h"
#include "core/list/list.h"
#include "core/string/char_mask.h"
#include "core/string/sw_string.h"

namespace hv {

namespace {

template <typename T>
swStorable* Create() {
  return new (std::nothrow) T();
}

struct CoreClass {
  uint16_t id;
  swFactory factory;
};

constexpr CoreClass kCoreClasses[] = {
    {kClassString, Create<swString>},
    {kClassList, Create<swList>},
    {kClassColor, Create<swColor>},
    {kClassGuid, Create<swGuid>},
    {kClassPoint, Create<swPoint>},
    {kClassRect, Create<swRect>},
    {kClassCharMask, Create<swCharMask>},
    {kClassStringTable, Create<swStringTable>},
    {kClassDbPropData, Create<swDbPropData>},
    {kClassDbPropSetData, Create<swDbPropSetData>},
    {kClassDbPropertySetsData, Create<swDbPropertySetsData>},
    {kClassPropData, Create<swPropData>},
    {kClassPropSetData, Create<swPropSetData>},
    {kClassPropertySetsData, Create<swPropertySetsData>},
};

}  // namespace

hv::Status swArchive::RegisterCoreClasses(uint16_t kind) {
  if (kind != 1 && kind != 2) {
    return hv::Status::Failure(hv::Where::kArchive,
                               "no core classes for archive kind " + std::to_string(kind));
  }
  for (const CoreClass& entry : kCoreClasses) {
    hv::Status registered = RegisterClass(entry.id, entry.factory, 1);
    if (!registered.ok()) return registered;
  }
  return hv::Status::Ok();
}

}  // namespace hv
