// swSerializer: what a storable object's Serialize asks of an archive. swArchive (the tagged,
// versioned file format) implements it; tests may implement it in memory.
#ifndef HV_CORE_SERIALIZER_H_
#define HV_CORE_SERIALIZER_H_

#include <cstdint>
#include <cstring>

#include "core/status.h"
#include "core/storable.h"

namespace hv {

// The serializer's status codes: 0 is success, and the first failure sticks.
constexpr int16_t kArchiveNoFile = -2;
constexpr int16_t kArchiveNoMemory = -1;
constexpr int16_t kArchiveNotOpen = 1;
constexpr int16_t kArchiveShortRead = 2;
constexpr int16_t kArchiveShortWrite = 3;
constexpr int16_t kArchiveUnknownClass = 4;
constexpr int16_t kArchiveCannotCreate = 6;  // factory failed, or a reference to an empty entry
constexpr int16_t kArchiveSerializeFailed = 8;
constexpr int16_t kArchiveBadStructure = 9;
constexpr int16_t kArchiveBadMarker = 10;     // marker, reference kind or index, or key flag
constexpr int16_t kArchiveNeedsKey = 12;      // the file is scrambled and no key was given
constexpr int16_t kArchiveNoStoredForm = 13;  // raw mode: the class has no stored form in this kind

// One of the codes above as a status (where: kArchive). The codes are the archive's own, not the
// program's: test the status with ok().
[[nodiscard]] inline hv::Status ArchiveStatus(int code) {
  return code == 0 ? hv::Status::Ok() : hv::Status(hv::Where::kArchive, code);
}

class swSerializer {
 public:
  virtual ~swSerializer() = default;

  virtual bool IsStoring() const = 0;
  // False in the archive's raw mode (values only, no headers).
  virtual bool IsTagged() const = 0;
  // 0, or the first error; once set, every operation does nothing. The value operations
  // below return the status too, for callers that stop early; a Serialize may equally run
  // on and leave the failure to Status() and Close(), which is why they may be dropped.
  virtual int Status() const = 0;
  // Upper bound of the bytes a read can still deliver. Readers check a length read from the
  // file against it before they allocate, so a corrupt file costs an error, not gigabytes.
  virtual uint64_t BytesLeft() const = 0;

  // One value of `size` bytes introduced in `version`. Sizes are usually 1, 2, 4 or 8; a run of
  // characters is one value of its own length. A read of a value newer than the data delivers
  // `default_value` (size bytes; null means zeros) and marks the archive as missing a value.
  virtual int WriteValue(const void* data, uint32_t size, uint16_t version) = 0;
  virtual int ReadValue(void* data, uint32_t size, uint16_t version, const void* default_value) = 0;

  // An embedded object, read into an existing object.
  virtual int WriteObject(swStorable& object, uint16_t version) = 0;
  virtual int ReadObject(swStorable& object, uint16_t version) = 0;
  // An object by reference: created on reading through the class registry; the same pointer
  // written twice is stored once. Reading hands the caller ownership of a newly created object.
  virtual int WriteObjectRef(swStorable* object, uint16_t version) = 0;
  virtual int ReadObjectRef(swStorable** object, uint16_t version) = 0;
  // ReadObjectRef for an owner that accepts only one class: an object of another class is a
  // structure error and is never created, so a corrupt file cannot hand the owner an object of
  // the wrong type (or the owner itself). The default realisation checks after the read.
  virtual int ReadObjectRefOfClass(swStorable** object, uint16_t version, uint16_t class_id) {
    swStorable* read = *object;
    int rc = ReadObjectRef(&read, version);
    if (rc != 0) return rc;
    if (read != nullptr && read != *object && read->ClassId() != class_id) {
      return kArchiveBadStructure;
    }
    *object = read;
    return 0;
  }

  // Typed helpers over WriteValue / ReadValue for plain integers and doubles.
  template <typename T>
  int Write(T value, uint16_t version) {
    static_assert(sizeof(T) <= 8);
    unsigned char bytes[sizeof(T)];
    ToLittleEndian(&value, bytes, sizeof(T));
    return WriteValue(bytes, sizeof(T), version);
  }
  template <typename T>
  int Read(T* value, uint16_t version, T default_value = T()) {
    static_assert(sizeof(T) <= 8);
    unsigned char def[sizeof(T)];
    unsigned char bytes[sizeof(T)];
    ToLittleEndian(&default_value, def, sizeof(T));
    int rc = ReadValue(bytes, sizeof(T), version, def);
    FromLittleEndian(bytes, value, sizeof(T));
    return rc;
  }

 private:
  // The stored form is little-endian whatever the host is.
  static void ToLittleEndian(const void* value, unsigned char* out, size_t n) {
    uint64_t bits = 0;
    std::memcpy(&bits, value, n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
  }
  static void FromLittleEndian(const unsigned char* in, void* value, size_t n) {
    uint64_t bits = 0;
    for (size_t i = 0; i < n; ++i) bits |= static_cast<uint64_t>(in[i]) << (8 * i);
    std::memcpy(value, &bits, n);
  }
};

}  // namespace hv

#endif  // HV_CORE_SERIALIZER_H_
