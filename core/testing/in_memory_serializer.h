// InMemorySerializer: a swSerializer over a byte vector, for the core values' tests. Values
// are stored as raw bytes; an object by reference as its 16-bit class id followed by the
// object, created on reading by the factory the test supplies.
#ifndef HV_CORE_TESTING_IN_MEMORY_SERIALIZER_H_
#define HV_CORE_TESTING_IN_MEMORY_SERIALIZER_H_

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "core/serializer.h"

namespace hv {

class InMemorySerializer : public swSerializer {
 public:
  using Factory = std::function<swStorable*(uint16_t class_id)>;

  // A writer; read it back with StartReading().
  explicit InMemorySerializer(bool tagged = true) : tagged_(tagged) {}

  void StartReading() {
    storing_ = false;
    position_ = 0;
    status_ = 0;
  }
  void SetFactory(Factory factory) { factory_ = std::move(factory); }
  std::vector<uint8_t>& bytes() { return bytes_; }
  uint32_t largest_read() const { return largest_read_; }

  bool IsStoring() const override { return storing_; }
  bool IsTagged() const override { return tagged_; }
  int Status() const override { return status_; }
  uint64_t BytesLeft() const override { return bytes_.size() - position_; }

  int WriteValue(const void* data, uint32_t size, uint16_t) override {
    if (status_ != 0) return status_;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return 0;
  }
  int ReadValue(void* data, uint32_t size, uint16_t, const void*) override {
    if (size > largest_read_) largest_read_ = size;
    if (status_ != 0) return status_;
    if (size > BytesLeft()) return Fail();
    std::memcpy(data, bytes_.data() + position_, size);
    position_ += size;
    return 0;
  }
  int WriteObject(swStorable& object, uint16_t) override { return object.Serialize(*this).code(); }
  int ReadObject(swStorable& object, uint16_t) override { return object.Serialize(*this).code(); }
  int WriteObjectRef(swStorable* object, uint16_t) override {
    int rc = Write<uint16_t>(object->ClassId(), 1);
    return rc != 0 ? rc : object->Serialize(*this).code();
  }
  int ReadObjectRef(swStorable** object, uint16_t) override {
    *object = nullptr;
    uint16_t class_id = 0;
    if (Read<uint16_t>(&class_id, 1) != 0) return status_;
    swStorable* created = factory_ ? factory_(class_id) : nullptr;
    if (created == nullptr) return Fail();
    if (!created->Serialize(*this).ok()) {
      delete created;
      return Fail();
    }
    *object = created;
    return 0;
  }

 private:
  int Fail() {
    if (status_ == 0) status_ = -1;
    return status_;
  }

  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  bool storing_ = true;
  bool tagged_;
  int status_ = 0;
  uint32_t largest_read_ = 0;
  Factory factory_;
};

}  // namespace hv

#endif  // HV_CORE_TESTING_IN_MEMORY_SERIALIZER_H_
