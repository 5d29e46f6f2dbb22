// swClassInfoList: the classes an archive can create when it reads an object by reference.
// Each entry holds a class id, a factory returning a new default instance, and the version
// of the class's stored form. Unlike other lists, the registry owns its entries and frees
// them when it is cleared or destroyed.
#ifndef HV_CORE_ARCHIVE_CLASS_REGISTRY_H_
#define HV_CORE_ARCHIVE_CLASS_REGISTRY_H_

#include <cstdint>

#include "core/list/list.h"
#include "core/storable.h"

namespace hv {

// Returns a new default instance owned by the caller, or null when it cannot be made.
using swFactory = swStorable* (*)();

class swClassInfo : public swStorable {
 public:
  swClassInfo(uint16_t id, swFactory factory, uint16_t version)
      : class_id(id), create(factory), stored_version(version) {}

  uint16_t ClassId() const override { return 0; }  // bookkeeping, never archived
  hv::Status Serialize(swSerializer&) override {
    return hv::Status::Failure(hv::Where::kArchive, "never archived");
  }

  uint16_t class_id;
  swFactory create;
  uint16_t stored_version;  // 0: the class has no stored form in this archive kind
  int16_t working_slot = -1;
};

class swClassInfoList : public swList {
 public:
  swClassInfoList() = default;
  ~swClassInfoList() override { Clear(); }

  // Appends an entry. Fails (kFailed, where kArchive) when the factory is null or the entry
  // cannot be allocated.
  [[nodiscard]] hv::Status Register(uint16_t id, swFactory factory, uint16_t version);
  // The entry of the class, or null when it is not registered. The first entry wins.
  const swClassInfo* Find(uint16_t id) const;
  // Frees every entry.
  void Clear();
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_CLASS_REGISTRY_H_
