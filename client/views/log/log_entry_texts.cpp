#include "client/views/log/log_entry_texts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "client/platform/clock.h"
#include "client/protocol/log_item_record.h"
#include "core/string/real_text.h"

namespace hv {

namespace {

struct cEntryType {
  const char* text;
  int32_t image;     // the image of the entry, or of its idle state
  int32_t on_image;  // the image when the function code says on (1 or 2); -1: none
};

// Indexed by entry type; 0 stands for every type outside the table.
constexpr cEntryType kEntryTypes[] = {
    {"Unknown", 0, -1}, {"Info", 1, -1},          {"Warning", 2, -1}, {"Error", 3, -1},
    {"Sensor", 4, 5},   {"X10 Sensor", 7, 8},     {"Switch", 10, 11}, {"Macro", 13, -1},
    {"Email", 14, -1},  {"Sound", 15, -1},        {"Video", 16, -1},  {"Temperature", 17, -1},
    {"User", 18, -1},   {"User Message", 19, -1}, {"Debug", 20, -1},  {"Set Mode", 21, -1},
};
constexpr int32_t kTypeCount = static_cast<int32_t>(sizeof kEntryTypes / sizeof kEntryTypes[0]);
constexpr int32_t kEntryTemperature = 11;

const cEntryType& EntryType(int32_t entry_type) {
  return kEntryTypes[entry_type > 0 && entry_type < kTypeCount ? entry_type : 0];
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
  text.Format("%02d/%02d/%04d", time.month, time.day, time.year);
  return text;
}

swString FormatLogTime(const cLocalTime& time) {
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  swString text;
  text.Format("%02d:%02d:%02d %s", hour12, time.minute, time.second, time.hour < 12 ? "AM" : "PM");
  return text;
}

swString LogNameIdText(const swString& name, const swString& path) {
  if (name.GetLength() == 0) return path;
  std::string text;
  AppendLogNameId({name.CStr(), name.GetLength()}, {path.CStr(), path.GetLength()}, text);
  return swString(text.data(), static_cast<uint32_t>(text.size()));
}

void AppendLogNameId(std::string_view name, std::string_view path, std::string& text) {
  if (name.empty()) {
    text.append(path);
    return;
  }
  text.append(name);
  // The part before the first "/" (a zero byte ends the path, as it ends a C string).
  const std::string_view first = path.substr(0, path.find_first_of(std::string_view("/\0", 2)));
  if (first.empty()) return;
  text.append(" [");
  text.append(first);
  text.append("]");
}

swString LogDataText(int32_t entry_type, double value, int32_t extra) {
  swString text;
  if (value == 0.0 && extra == 0 && entry_type != kEntryTemperature) return text;
  const std::string number = hv::FixedRealText(value, std::floor(value) == value ? 0 : 1);
  text.Append(" ");
  text.Append(swString(number.data(), static_cast<uint32_t>(number.size())));
  if (extra != 0) {
    swString more;
    more.Format(", %d", static_cast<int>(extra));
    text.Append(more);
  }
  return text;
}

namespace {

std::string_view View(const swString& text) { return {text.CStr(), text.GetLength()}; }
std::string_view Left(std::string_view text, size_t n) { return text.substr(0, n); }
std::string_view Right(std::string_view text, size_t n) {
  return text.substr(text.size() - std::min(n, text.size()));
}
std::string_view Mid(std::string_view text, size_t start, size_t count) {
  return text.substr(std::min(start, text.size()), count);
}

void AppendNumber(long long number, std::string& key) {
  char digits[32];
  const int written = std::snprintf(digits, sizeof digits, "%lld", number);
  if (written > 0) key.append(digits, static_cast<size_t>(written));
}

void AppendTimeKey(std::string_view date_text, std::string_view time_text, std::string& key) {
  // "%m/%d/%Y": the year is the last four characters, the month the first two, the day the
  // two after the first slash.
  key.append(Right(date_text, 4));
  key.append(Left(date_text, 2));
  key.append(Mid(date_text, 3, 2));

  // The hour as "%I" writes it: the first two characters, read as a number (0 when not).
  const std::string hour_digits(Left(time_text, 2));
  int32_t hour = static_cast<int32_t>(std::strtol(hour_digits.c_str(), nullptr, 10));
  const std::string_view suffix = Right(time_text, 2);
  const bool pm = suffix.size() == 2 && (suffix[0] == 'P' || suffix[0] == 'p') &&
                  (suffix[1] == 'M' || suffix[1] == 'm');
  if (hour == 12 && !pm) {
    hour = 0;
  } else if (pm && hour != 12) {
    hour += 12;
  }
  char hour_text[16];
  const int written = std::snprintf(hour_text, sizeof hour_text, "%02d", static_cast<int>(hour));
  if (written > 0) key.append(hour_text, static_cast<size_t>(written));
  key.append(Mid(time_text, 3, 5));
}

}  // namespace

swString LogTimeKey(const swString& date_text, const swString& time_text) {
  std::string key;
  AppendTimeKey(View(date_text), View(time_text), key);
  return swString(key.data(), static_cast<uint32_t>(key.size()));
}

namespace {

void AppendColumnKey(const LogItemRecord& entry, int32_t column, std::string& key) {
  switch (column) {
    case kLogColumnType: AppendNumber(entry.entry_type, key); break;
    case kLogColumnNameId: {
      const swString name_id = LogNameIdText(entry.name, entry.path);
      key.append(View(name_id));
      break;
    }
    case kLogColumnMessage: key.append(View(entry.message)); break;
    case kLogColumnFunction: AppendNumber(entry.function_code, key); break;
    case kLogColumnData:
      key.append(hv::FixedRealText(entry.value, 6));
      key.append(std::to_string(static_cast<int>(entry.extra)));
      break;
    default:  // date, time
      break;
  }
  AppendTimeKey(View(entry.date_text), View(entry.time_text), key);
}

}  // namespace

swString LogColumnKey(const LogItemRecord& entry, int32_t column) {
  std::string key;
  AppendColumnKey(entry, column, key);
  return swString(key.data(), static_cast<uint32_t>(key.size()));
}

void AppendLogSortKey(const LogItemRecord& entry, int32_t column, std::string& key) {
  const size_t start = key.size();
  AppendColumnKey(entry, column, key);
  const size_t zero = key.find('\0', start);
  if (zero != std::string::npos) key.resize(zero);
  for (size_t i = start; i < key.size(); ++i) {
    // ASCII only: a user locale's case rules must not reorder the list.
    if (key[i] >= 'A' && key[i] <= 'Z') key[i] = static_cast<char>(key[i] - 'A' + 'a');
  }
}

}  // namespace hv
