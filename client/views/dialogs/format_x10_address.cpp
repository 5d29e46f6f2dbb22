#include "client/views/dialogs/format_x10_address.h"

namespace hv {

namespace {

// Houses from 20 up belong to the server's security devices and read "S" and a letter.
constexpr uint32_t kFirstSecurityCode = 20;

}  // namespace

swString FormatX10Address(uint32_t house, uint32_t unit) {
  swString house_part;
  if (house < kFirstSecurityCode) {
    house_part.AppendChar(static_cast<char>('A' + house));
  } else {
    house_part.AppendChar('S');
    // A code from the server beyond one byte has no letter; a mark keeps the text whole
    // instead of cutting it at a zero byte.
    const uint32_t letter = 45 + house;
    house_part.AppendChar(letter <= 0xFF ? static_cast<char>(letter) : '?');
  }
  if (unit == kX10AllUnits) return house_part;
  swString address;
  if (unit >= kFirstSecurityCode) {
    address.Format("%s:S%u", house_part.CStr(), unit - 19);
  } else {
    address.Format("%s:%u", house_part.CStr(), unit + 1);
  }
  return address;
}

}  // namespace hv
