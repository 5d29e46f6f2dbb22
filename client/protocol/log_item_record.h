// LogItemRecord: the shape of every activity entry, whether the server sent it (Log item
// answer) or the client made it (failed requests, ended connections).
#ifndef HV_CLIENT_PROTOCOL_LOG_ITEM_RECORD_H_
#define HV_CLIENT_PROTOCOL_LOG_ITEM_RECORD_H_

#include <cstdint>

#include "core/string/sw_string.h"

namespace hv {

// Entry types the client itself writes (the full table belongs to the activity log view).
constexpr int32_t kEntryError = 3;
constexpr int32_t kEntryX10Sensor = 5;
constexpr int32_t kEntryUserMessage = 13;
// The function code of entries that are about no X10 function.
constexpr int32_t kNoFunctionCode = 254;

struct LogItemRecord {
  int32_t entry_type = 0;
  swString name;
  swString message;
  swString path;
  int32_t function_code = 0;
  double value = 0.0;
  int32_t extra = 0;
  // As the server sent them; empty in entries the client makes, which the activity log
  // stamps with the local date ("%m/%d/%Y") and time ("%I:%M:%S %p") when it takes them.
  swString date_text;
  swString time_text;
  int32_t detail1 = 0;
  int32_t detail2 = 0;
};

// An entry made by the client: no path, function code 254, value 0, extra 0, no date or
// time text (the activity log stamps "now").
LogItemRecord MakeClientEntry(int32_t entry_type, int32_t detail1, int32_t detail2,
                              const char* name, const char* message);

// The client's own Error entry about the connection or a request (detail 1 = 0, detail 2 =
// 5), the shape every "... not sent successfully" and "Connection terminated" entry has.
LogItemRecord MakeClientError(const char* name, const char* message);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_LOG_ITEM_RECORD_H_
