// What the switches and sensors views show alike: both list the same item record, in rows
// of the same five columns, with pictures chosen the same way.
#ifndef HV_CLIENT_VIEWS_DEVICE_ROWS_H_
#define HV_CLIENT_VIEWS_DEVICE_ROWS_H_

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

// The IO kinds whose items show their view's X10 picture; the other IO kinds beyond the card
// (0), the module (1) and, for sensors, the thermometer (2) show the wired one.
bool IsX10LikeIoKind(uint32_t io_kind);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICE_ROWS_H_
