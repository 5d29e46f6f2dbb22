#include "client/views/log_entry_texts.h"

#include <cmath>
#include <cstdlib>

#include "client/protocol/log_item_record.h"
#include "client/platform/clock.h"

namespace {

struct cEntryType {
  const char* text;
  int32_t image;     // the image of the entry, or of its idle state
  int32_t on_image;  // the image when the function code says on (1 or 2); -1: none
};

// Indexed by entry type; 0 stands for every type outside the table.
constexpr cEntryType kEntryTypes[] = {
    {"Unknown", 0, -1},       {"Info", 1, -1},         {"Warning", 2, -1},
    {"Error", 3, -1},         {"Sensor", 4, 5},        {"X10 Sensor", 7, 8},
    {"Switch", 10, 11},       {"Macro", 13, -1},       {"Email", 14, -1},
    {"Sound", 15, -1},        {"Video", 16, -1},       {"Temperature", 17, -1},
    {"User", 18, -1},         {"User Message", 19, -1}, {"Debug", 20, -1},
    {"Set Mode", 21, -1},
};
constexpr int32_t kTypeCount = static_cast<int32_t>(sizeof kEntryTypes / sizeof kEntryTypes[0]);
constexpr int32_t kEntryTemperature = 11;

const cEntryType& EntryType(int32_t entry_type) {
  return kEntryTypes[entry_type > 0 && entry_type < kTypeCount ? entry_type : 0];
}

swString Number(int64_t number) {
  swString text;
  (void)text.Format("%lld", static_cast<long long>(number));
  return text;
}

// The first two characters as a number, as the hour of "%I" is written; 0 when they are not.
int32_t LeadingNumber(const swString& text) {
  const swString digits = text.Left(2);
  return static_cast<int32_t>(std::strtol(digits.CStr(), nullptr, 10));
}

}  // namespace

const char* LogEntryTypeText(int32_t entry_type) { return EntryType(entry_type).text; }

int32_t LogEntryImage(int32_t entry_type, int32_t function_code) {
  const cEntryType& type = EntryType(entry_type);
  const bool on = function_code == 1 || function_code == 2;
  return on && type.on_image >= 0 ? type.on_image : type.image;
}

swString FormatLogDate(const cLocalTime& time) {
  swString text;
  (void)text.Format("%02d/%02d/%04d", time.month, time.day, time.year);
  return text;
}

swString FormatLogTime(const cLocalTime& time) {
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  swString text;
  (void)text.Format("%02d:%02d:%02d %s", hour12, time.minute, time.second,
                    time.hour < 12 ? "AM" : "PM");
  return text;
}

swString LogNameIdText(const swString& name, const swString& path) {
  if (name.GetLength() == 0) return path;
  swString text = name;
  if (path.GetLength() != 0) {
    const swString first = path.SpanExcluding("/");
    if (first.GetLength() != 0) {
      text.Append(" [");
      text.Append(first);
      text.Append("]");
    }
  }
  return text;
}

swString LogDataText(int32_t entry_type, double value, int32_t extra) {
  swString text;
  if (value == 0.0 && extra == 0 && entry_type != kEntryTemperature) return text;
  (void)text.Format(std::floor(value) == value ? " %0.0f" : " %0.1f", value);
  if (extra != 0) {
    swString more;
    (void)more.Format(", %d", static_cast<int>(extra));
    text.Append(more);
  }
  return text;
}

swString LogTimeKey(const swString& date_text, const swString& time_text) {
  // "%m/%d/%Y": the year is the last four characters, the month the first two, the day the
  // two after the first slash.
  swString key = date_text.Right(4);
  key.Append(date_text.Left(2));
  key.Append(date_text.Mid(3, 2));

  int32_t hour = LeadingNumber(time_text);
  const bool pm = time_text.Right(2).CompareNoCase("PM") == 0;
  if (hour == 12 && !pm) {
    hour = 0;
  } else if (pm && hour != 12) {
    hour += 12;
  }
  swString hour_text;
  (void)hour_text.Format("%02d", static_cast<int>(hour));
  key.Append(hour_text);
  key.Append(time_text.Mid(3, 5));
  return key;
}

swString LogColumnKey(const LogItemRecord& entry, int32_t column) {
  swString key;
  switch (column) {
    case kLogColumnType:
      key = Number(entry.entry_type);
      break;
    case kLogColumnNameId:
      key = LogNameIdText(entry.name, entry.path);
      break;
    case kLogColumnMessage:
      key = entry.message;
      break;
    case kLogColumnFunction:
      key = Number(entry.function_code);
      break;
    case kLogColumnData:
      (void)key.Format("%f%d", entry.value, static_cast<int>(entry.extra));
      break;
    default:  // date, time
      break;
  }
  key.Append(LogTimeKey(entry.date_text, entry.time_text));
  return key;
}
