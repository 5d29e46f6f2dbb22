// The activity log's entries as the bridge streams them: one JSON object each, in Home
// Assistant's event shape (event_type "entry"), every text as UTF-8 for people and cut to a
// size a broker and a dashboard take.
#ifndef HV_TOOLS_HVBRIDGE_LOG_ENTRY_JSON_H_
#define HV_TOOLS_HVBRIDGE_LOG_ENTRY_JSON_H_

#include <string>

#include "client/protocol/log_item_record.h"

namespace hv::bridge {

std::string LogEntryJson(const LogItemRecord& entry);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_LOG_ENTRY_JSON_H_
