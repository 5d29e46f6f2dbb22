// What the switches and sensors views show alike: both list the same item record, in rows
// of the same five columns, with pictures chosen by the same rule.
#ifndef HV_CLIENT_VIEWS_DEVICES_DEVICE_ROWS_H_
#define HV_CLIENT_VIEWS_DEVICES_DEVICE_ROWS_H_

#include <cstdint>
#include <vector>

#include "client/protocol/answer_records.h"
#include "core/string/sw_string.h"

namespace hv {

// The status column: the X10 function or sensor code by name.
const char* DeviceStatusText(uint32_t status);

// A row's texts, column by column: status, status data (the value, trimmed), name,
// description and `type_text`.
std::vector<swString> DeviceRowTexts(const SwitchRecord& record, const char* type_text);

// The item types both views share (the switches add the IO paddle switch).
enum : uint32_t {
  kDeviceTypeX10 = 1,
  kDeviceTypeIo = 2,
};

// Where a view's pictures stand in its image list. Both begin with the IO card (0) and the IO
// module (1); the sensors' thermometer (2) is the one further IO kind with a picture of its own.
struct cDevicePictures {
  uint32_t own_io_kinds;  // the IO kinds below this show the picture at their own index
  int32_t x10;            // X10 items, and the IO kinds that stand for X10 devices
  int32_t wired;          // the other IO kinds
};

// The picture of an item by its type and IO kind: X10 items and the X10-like IO kinds (3 to 8,
// and 10) show the X10 picture, other IO kinds their own or the wired one. A type of neither
// kind shows picture 0.
int32_t DeviceImageIndex(uint32_t type, uint32_t io_kind, const cDevicePictures& pictures);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_DEVICE_ROWS_H_
