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

bool IsX10LikeIoKind(uint32_t io_kind) { return (io_kind >= 3 && io_kind <= 8) || io_kind == 10; }

}  // namespace hv
