#include "core/archive/geometry.h"

#include "core/serializer.h"

namespace hv {

namespace {

// Writes or reads each field as a 32-bit value of version 1; 0, or 1 when the archive failed.
template <typename T, size_t N>
int TransferFields(swSerializer& archive, T* (&fields)[N]) {
  for (T* field : fields) {
    if (archive.IsStoring()) {
      archive.Write<T>(*field, 1);
    } else {
      archive.Read<T>(field, 1);
    }
  }
  return archive.Status() == 0 ? 0 : 1;
}

}  // namespace

int swColor::Serialize(swSerializer& archive) {
  uint32_t* fields[] = {&rgb};
  return TransferFields(archive, fields);
}

int swPoint::Serialize(swSerializer& archive) {
  int32_t* fields[] = {&x, &y};
  return TransferFields(archive, fields);
}

int swRect::Serialize(swSerializer& archive) {
  int32_t* fields[] = {&left, &top, &right, &bottom};
  return TransferFields(archive, fields);
}

}  // namespace hv
