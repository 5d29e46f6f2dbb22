#include "client/views/devices/device_rows.h"

#include "client/protocol/x10_function_name.h"
#include "client/views/format_trimmed_real.h"

namespace hv {

const char* DeviceStatusText(uint32_t status) {
  return X10FunctionName(static_cast<int32_t>(status), 0);
}

std::vector<swString> DeviceRowTexts(const SwitchRecord& record, const char* type_text) {
  return {DeviceStatusText(record.status), FormatTrimmedReal(record.value), record.name,
          record.description, type_text};
}

int32_t DeviceImageIndex(uint32_t type, uint32_t io_kind, const cDevicePictures& pictures) {
  switch (type) {
    case kDeviceTypeX10: return pictures.x10;
    case kDeviceTypeIo:
      if (io_kind < pictures.own_io_kinds) return static_cast<int32_t>(io_kind);
      if ((io_kind >= 3 && io_kind <= 8) || io_kind == 10) return pictures.x10;
      return pictures.wired;
    default: return 0;
  }
}

}  // namespace hv
