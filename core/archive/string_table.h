// swStringTable: a storable list of strings kept by the core library. The client makes no
// use of it beyond an archive being able to create one; it stores like any list.
#ifndef HV_CORE_ARCHIVE_STRING_TABLE_H_
#define HV_CORE_ARCHIVE_STRING_TABLE_H_

#include "core/list/list.h"

namespace hv {

class swStringTable : public swList {
 public:
  uint16_t ClassId() const override { return kClassStringTable; }
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_STRING_TABLE_H_
