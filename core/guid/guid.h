// swGuid: a 128-bit identifier with the field layout of a platform GUID.
#ifndef HV_CORE_GUID_GUID_H_
#define HV_CORE_GUID_GUID_H_

#include <cstdint>

#include "core/status.h"
#include "core/storable.h"
#include "core/string/sw_string.h"

namespace hv {

class swGuid : public swStorable {
 public:
  static constexpr const char* kDefaultFormat =
      "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}";

  swGuid() = default;
  swGuid(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3,
         uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7);
  swGuid(const swGuid& other) = default;
  swGuid& operator=(const swGuid& other) = default;

  void Set(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3,
           uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7);
  void Assign(const swGuid& other) { *this = other; }

  swString ToText(const char* format = kDefaultFormat) const;
  // Skips non-hex characters; fails with kMissingArgument (where: kString) when fewer than 32
  // hex digits are present (the groups that were complete are already stored).
  [[nodiscard]] hv::Status FromText(const char* text);

  // The 16 bytes as they travel on the wire: Data1, Data2, Data3 little-endian, then Data4.
  void ToBytes(uint8_t out[16]) const;
  void FromBytes(const uint8_t in[16]);

  uint16_t ClassId() const override { return kClassGuid; }
  hv::Status Serialize(swSerializer& archive) override;

  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};
};

bool operator==(const swGuid& a, const swGuid& b);
bool operator!=(const swGuid& a, const swGuid& b);

// swGuidW: conversion from and to the platform's GUID. Here the platform's generator is
// getrandom() with the RFC 4122 version-4 bits.
class swGuidW : public swGuid {
 public:
  swGuidW() = default;
  explicit swGuidW(const swGuid& g) : swGuid(g) {}
  // A fresh random identity.
  static swGuidW Generate();
};

}  // namespace hv

#endif  // HV_CORE_GUID_GUID_H_
