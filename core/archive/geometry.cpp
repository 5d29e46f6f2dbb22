#include "core/archive/geometry.h"

#include "core/serializer.h"

namespace hv {

namespace {

// Writes or reads each field as a 32-bit value of version 1; fails when the archive failed.
template <typename T, size_t N>
hv::Status TransferFields(swSerializer& archive, T* (&fields)[N]) {
  for (T* field : fields) {
    if (archive.IsStoring()) {
      archive.Write<T>(*field, 1);
    } else {
      archive.Read<T>(field, 1);
    }
  }
  return ArchiveStatus(archive.Status());
}

}  // namespace

hv::Status swColor::Serialize(swSerializer& archive) {
  uint32_t* fields[] = {&rgb};
  return TransferFields(archive, fields);
}

hv::Status swPoint::Serialize(swSerializer& archive) {
  int32_t* fields[] = {&x, &y};
  return TransferFields(archive, fields);
}

hv::Status swRect::Serialize(swSerializer& archive) {
  int32_t* fields[] = {&left, &top, &right, &bottom};
  return TransferFields(archive, fields);
}

}  // namespace hv
