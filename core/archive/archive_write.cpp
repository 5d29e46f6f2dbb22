// swArchive: writing values, objects by value and by reference.
#include "core/archive/archive.h"

namespace hv {

const swClassInfo* swArchive::ClassFor(const swStorable& object) {
  const swClassInfo* info = classes_.Find(object.ClassId());
  if (info == nullptr) Fail(kArchiveUnknownClass);
  return info;
}

bool swArchive::PutGroupHeader(uint32_t size, uint16_t version, uint16_t count) {
  if (size <= 240 && version <= 255 && count <= 255) {
    uint8_t b[3] = {static_cast<uint8_t>(size), static_cast<uint8_t>(version),
                    static_cast<uint8_t>(count)};
    return bytes_.Put(b, 3);
  }
  if (size <= 0xFFFF) {
    bytes_.PutU8(241);
    bytes_.PutU16(static_cast<uint16_t>(size));
  } else {
    bytes_.PutU8(242);
    bytes_.PutU32(size);
  }
  bytes_.PutU16(version);
  return bytes_.PutU16(count);
}

bool swArchive::FlushGroup() {
  if (pending_.count == 0) return status_ == 0;
  PutGroupHeader(pending_.size, pending_.version, pending_.count);
  bytes_.Put(group_.data(), static_cast<uint32_t>(group_.size()));
  group_.clear();
  pending_.count = 0;
  return status_ == 0;
}

int swArchive::WriteRaw(const void* data, uint32_t size, uint16_t version) {
  if (version > version_ || size == 0) return 0;
  bytes_.Put(data, size);
  return status_;
}

int swArchive::WriteValue(const void* data, uint32_t size, uint16_t version) {
  if (!Ready(true)) return Refused();
  if (!tagged_) return WriteRaw(data, size, version);
  // A value newer than the data being written is not part of it.
  if (version > version_ || size == 0) return 0;
  if (pending_.count > 0 && (pending_.size != size || pending_.version != version ||
                             group_.size() + size > kGroupCapacity)) {
    if (!FlushGroup()) return status_;
  }
  if (size > kGroupCapacity) {
    PutGroupHeader(size, version, 1);
    bytes_.Put(data, size);
    return status_;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  group_.insert(group_.end(), bytes, bytes + size);
  pending_.size = size;
  pending_.version = version;
  ++pending_.count;
  return status_;
}

int swArchive::WriteObjectBody(swStorable& object, const swClassInfo& info, uint16_t nesting) {
  uint16_t saved_version = version_;
  nesting_ = static_cast<uint16_t>(nesting + 1);
  version_ = info.stored_version;
  SerializeObject(object);
  if (tagged_) FlushGroup();
  nesting_ = nesting;
  version_ = saved_version;
  return status_;
}

// An embedded object whatever the current version: the header's objects use it directly.
int swArchive::WriteEmbedded(swStorable& object, uint16_t version) {
  if (!tagged_) {
    const swClassInfo* info = ClassFor(object);
    if (info == nullptr) return status_;
    if (info->stored_version == 0) return Fail(kArchiveNoStoredForm);
    return WriteObjectBody(object, *info, nesting_);
  }
  if (!FlushGroup()) return status_;
  const swClassInfo* info = ClassFor(object);
  if (info == nullptr) return status_;
  bytes_.PutU8(243);
  bytes_.PutU16(version);
  bytes_.PutU16(nesting_);
  bytes_.PutU16(info->class_id);
  bytes_.PutU16(info->stored_version);
  if (WriteObjectBody(object, *info, nesting_) != 0) return status_;
  bytes_.PutU8(245);
  bytes_.PutU16(nesting_);
  return status_;
}

int swArchive::WriteObject(swStorable& object, uint16_t version) {
  if (!Ready(true)) return Refused();
  if (version > version_) return 0;
  return WriteEmbedded(object, version);
}

int swArchive::WriteObjectRefRaw(swStorable* object) {
  if (object == nullptr) {
    bytes_.PutU8(2);
    bytes_.PutU32(0);
    return status_;
  }
  auto known = written_.find(object);
  if (known != written_.end()) {
    bytes_.PutU8(0);
    bytes_.PutU32(known->second);
    return status_;
  }
  const swClassInfo* info = ClassFor(*object);
  if (info == nullptr) return status_;
  if (info->stored_version == 0) return Fail(kArchiveNoStoredForm);
  if (objects_.size() >= 0xFFFF) return Fail(kArchiveNoMemory);
  uint16_t index = static_cast<uint16_t>(objects_.size());
  objects_.push_back(object);
  written_.emplace(object, index);
  bytes_.PutU8(1);
  bytes_.PutU32(index);
  bytes_.PutU32((static_cast<uint32_t>(info->class_id) << 16) | info->stored_version);
  return WriteObjectBody(*object, *info, nesting_);
}

int swArchive::WriteObjectRef(swStorable* object, uint16_t version) {
  if (!Ready(true)) return Refused();
  if (version > version_) return 0;
  if (!tagged_) return WriteObjectRefRaw(object);
  if (!FlushGroup()) return status_;

  const swClassInfo* info = nullptr;
  if (object != nullptr) {
    info = ClassFor(*object);
    if (info == nullptr) return status_;
  }
  uint8_t kind = 2;
  uint16_t index = 0;
  if (object != nullptr) {
    auto known = written_.find(object);
    if (known != written_.end()) {
      kind = 1;
      index = known->second;
    } else {
      if (objects_.size() >= 0xFFFF) return Fail(kArchiveNoMemory);
      kind = 0;
      index = static_cast<uint16_t>(objects_.size());
      objects_.push_back(object);
      written_.emplace(object, index);
    }
  }
  bytes_.PutU8(244);
  bytes_.PutU16(version);
  bytes_.PutU16(nesting_);
  bytes_.PutU16(info != nullptr ? info->class_id : 0);
  bytes_.PutU16(info != nullptr ? info->stored_version : 0);
  bytes_.PutU8(kind);
  bytes_.PutU16(index);
  if (kind == 0 && WriteObjectBody(*object, *info, nesting_) != 0) return status_;
  bytes_.PutU8(245);
  bytes_.PutU16(nesting_);
  return status_;
}

}  // namespace hv
