#include "core/guid/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "core/serializer.h"
#include "core/status.h"
#include "core/string/hex_digit.h"

namespace hv {

swGuid::swGuid(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1, uint8_t b2,
               uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7) {
  Set(d1, d2, d3, b0, b1, b2, b3, b4, b5, b6, b7);
}

void swGuid::Set(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t b0, uint8_t b1, uint8_t b2,
                 uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6, uint8_t b7) {
  data1 = d1;
  data2 = d2;
  data3 = d3;
  data4[0] = b0;
  data4[1] = b1;
  data4[2] = b2;
  data4[3] = b3;
  data4[4] = b4;
  data4[5] = b5;
  data4[6] = b6;
  data4[7] = b7;
}

swString swGuid::ToText(const char* format) const {
  swString text;
  // The default format's %08lX takes an unsigned long; the bytes promote to unsigned int.
  text.Format(format != nullptr ? format : kDefaultFormat, static_cast<unsigned long>(data1),
              static_cast<unsigned>(data2), static_cast<unsigned>(data3),
              static_cast<unsigned>(data4[0]), static_cast<unsigned>(data4[1]),
              static_cast<unsigned>(data4[2]), static_cast<unsigned>(data4[3]),
              static_cast<unsigned>(data4[4]), static_cast<unsigned>(data4[5]),
              static_cast<unsigned>(data4[6]), static_cast<unsigned>(data4[7]));
  return text;
}

hv::Status swGuid::FromText(const char* text) {
  if (text == nullptr) return hv::Status(hv::Where::kString, hv::kMissingArgument, "no text");
  static constexpr int kGroupDigits[11] = {8, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2};
  int group = 0;
  int digits = 0;
  uint32_t value = 0;
  for (const char* p = text; *p != '\0' && group < 11; ++p) {
    int digit = HexDigitValue(*p);
    if (digit < 0) continue;
    value = (value << 4) | static_cast<uint32_t>(digit);
    if (++digits < kGroupDigits[group]) continue;
    if (group == 0) {
      data1 = value;
    } else if (group == 1) {
      data2 = static_cast<uint16_t>(value);
    } else if (group == 2) {
      data3 = static_cast<uint16_t>(value);
    } else {
      data4[group - 3] = static_cast<uint8_t>(value);
    }
    ++group;
    digits = 0;
    value = 0;
  }
  if (group == 11) return hv::Status::Ok();
  return hv::Status(hv::Where::kString, hv::kMissingArgument, "fewer than 32 hex digits");
}

void swGuid::ToBytes(uint8_t out[16]) const {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(data1 >> (8 * i));
  out[4] = static_cast<uint8_t>(data2);
  out[5] = static_cast<uint8_t>(data2 >> 8);
  out[6] = static_cast<uint8_t>(data3);
  out[7] = static_cast<uint8_t>(data3 >> 8);
  std::memcpy(out + 8, data4, 8);
}

void swGuid::FromBytes(const uint8_t in[16]) {
  data1 = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
          static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
  data2 = static_cast<uint16_t>(in[4] | in[5] << 8);
  data3 = static_cast<uint16_t>(in[6] | in[7] << 8);
  std::memcpy(data4, in + 8, 8);
}

hv::Status swGuid::Serialize(swSerializer& archive) {
  int rc = 0;
  if (archive.IsStoring()) {
    rc = archive.Write<uint32_t>(data1, 1);
    if (rc == 0) rc = archive.Write<uint16_t>(data2, 1);
    if (rc == 0) rc = archive.Write<uint16_t>(data3, 1);
    for (int i = 0; rc == 0 && i < 8; ++i) rc = archive.Write<uint8_t>(data4[i], 1);
  } else {
    // Read into a copy so that a failed read leaves the value as it was.
    swGuid read;
    rc = archive.Read<uint32_t>(&read.data1, 1);
    if (rc == 0) rc = archive.Read<uint16_t>(&read.data2, 1);
    if (rc == 0) rc = archive.Read<uint16_t>(&read.data3, 1);
    for (int i = 0; rc == 0 && i < 8; ++i) rc = archive.Read<uint8_t>(&read.data4[i], 1);
    if (rc == 0 && archive.Status() == 0) Assign(read);
  }
  return ArchiveStatus(rc != 0 ? rc : archive.Status());
}

bool operator==(const swGuid& a, const swGuid& b) {
  return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
         std::memcmp(a.data4, b.data4, sizeof(a.data4)) == 0;
}

bool operator!=(const swGuid& a, const swGuid& b) { return !(a == b); }

namespace {

void FillRandom(uint8_t* bytes, size_t size) {
  size_t filled = 0;
  while (filled < size) {
    ssize_t got = getrandom(bytes + filled, size - filled, 0);
    if (got > 0) {
      filled += static_cast<size_t>(got);
    } else if (got < 0 && errno != EINTR) {
      break;
    }
  }
  if (filled == size) return;
  // Without getrandom (an old kernel) the runtime's own source still gives distinct values.
  std::random_device device;
  for (; filled < size; ++filled) bytes[filled] = static_cast<uint8_t>(device());
}

}  // namespace

swGuidW swGuidW::Generate() {
  uint8_t bytes[16];
  FillRandom(bytes, sizeof(bytes));
  swGuidW guid;
  guid.FromBytes(bytes);
  guid.data3 = static_cast<uint16_t>((guid.data3 & 0x0FFF) | 0x4000);   // version 4
  guid.data4[0] = static_cast<uint8_t>((guid.data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return guid;
}

}  // namespace hv
