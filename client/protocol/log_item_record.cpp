#include "client/protocol/log_item_record.h"

namespace hv {

LogItemRecord MakeClientEntry(int32_t entry_type, int32_t detail1, int32_t detail2,
                              const char* name, const char* message) {
  LogItemRecord entry;
  entry.entry_type = entry_type;
  entry.detail1 = detail1;
  entry.detail2 = detail2;
  entry.name = name;
  entry.message = message;
  entry.function_code = kNoFunctionCode;
  return entry;
}

LogItemRecord MakeClientError(const char* name, const char* message) {
  return MakeClientEntry(kEntryError, 0, 5, name, message);
}

}  // namespace hv
