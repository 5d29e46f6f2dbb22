// What the activity log shows of an entry and how it orders entries: the text and image of
// each entry type, the "Name/Id" and "Data" texts, the date and time of entries that come
// without them, and the sort key of every column.
#ifndef HV_CLIENT_VIEWS_LOG_LOG_ENTRY_TEXTS_H_
#define HV_CLIENT_VIEWS_LOG_LOG_ENTRY_TEXTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "core/string/sw_string.h"

namespace hv {

struct cLocalTime;
struct LogItemRecord;

// The columns of the activity log, in their creation order.
enum : int32_t {
  kLogColumnType = 0,
  kLogColumnDate = 1,
  kLogColumnTime = 2,
  kLogColumnNameId = 3,
  kLogColumnMessage = 4,
  kLogColumnFunction = 5,
  kLogColumnData = 6,
  kLogColumnCount = 7,
};

// The "Type" text of an entry type ("Unknown" for a type outside 1 to 15). Never null.
const char* LogEntryTypeText(int32_t entry_type);
// The image of an entry: by type, and for sensors and switches by whether the function code
// (1 or 2) says it is on. 0, the question mark, for an unknown type.
int32_t LogEntryImage(int32_t entry_type, int32_t function_code);

// "%m/%d/%Y" and "%I:%M:%S %p" of a local time, as entries without their own texts get.
swString FormatLogDate(const cLocalTime& time);
swString FormatLogTime(const cLocalTime& time);

// The name, followed by " [first part of the path]" when the path has a non-empty part
// before its first "/"; without a name, the whole path.
swString LogNameIdText(const swString& name, const swString& path);
// The same text appended to `text`.
void AppendLogNameId(std::string_view name, std::string_view path, std::string& text);
// " <value>" (no decimals when whole, else one) and ", <extra>" when the extra is not 0;
// empty when value and extra are 0, except for a Temperature entry, which always shows it.
swString LogDataText(int32_t entry_type, double value, int32_t extra);

// The date and time of an entry as one key that sorts as text in time order: year, month,
// day, then the hour on a 24-hour clock, minutes and seconds. Texts that are shorter than
// their format give shorter keys, never a failure.
swString LogTimeKey(const swString& date_text, const swString& time_text);
// The key a column sorts by: the column's own value (numbers as text) followed by the time
// key; the date and time columns sort by the time key alone.
swString LogColumnKey(const LogItemRecord& entry, int32_t column);
// The same key appended to `key`, ready for a plain byte comparison that orders as the
// case-insensitive comparison of the keys does: letters folded to lower case, and cut at a
// zero byte, where that comparison stops. A sort of many thousand rows makes each key once
// with this and compares without copying.
void AppendLogSortKey(const LogItemRecord& entry, int32_t column, std::string& key);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_LOG_ENTRY_TEXTS_H_
