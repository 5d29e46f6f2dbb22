// The history of a range as CSV, read from the store a page at a time so a year of a busy
// house is written without holding it in memory: one record per status sample and activity
// entry, oldest first, under the header "Time,Kind,Name,State,Value,Message".
//
// Times are ISO 8601 in the computer's local time with its offset from UTC
// ("2026-10-25T02:30:00.000+02:00"), so the hour the clocks go back is written twice with two
// different offsets and never read ambiguously. Values are written as stored, in the shortest
// text that reads back to the same number, with a decimal point whatever the locale; a value
// the server did not give is an empty field. Records end with CR LF (RFC 4180).
#ifndef HV_CLIENT_HISTORY_HISTORY_CSV_H_
#define HV_CLIENT_HISTORY_HISTORY_CSV_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/history/history_store.h"
#include "core/status.h"

namespace hv::history {

// "2026-10-25T02:30:00.000+02:00": `at_ms` in local time with its UTC offset.
std::string IsoLocalTime(int64_t at_ms);
// The shortest text that reads back to `value` ("21.5", "0.1", "1e+300"); empty for NaN.
std::string ShortestNumber(double value);
// One CSV field, quoted when it holds a comma, a double quote, CR or LF.
std::string CsvField(std::string_view text);

struct HistoryCsvRequest {
  int64_t from_ms = 0;
  int64_t to_ms = 0;
  std::vector<int64_t> item_ids;  // all items and entries when empty
  // The State column's text of a status (the window's names); the number when not given.
  std::function<std::string(ItemKind kind, int32_t code)> state_text;
};

// Writes the header and every event of the range to `sink` in pieces; `sink` returns false
// to stop (a failed write), which returns that failure. `rows` counts the records written.
Status WriteHistoryCsv(HistoryStore& store, const HistoryCsvRequest& request,
                       const std::function<bool(std::string_view)>& sink, int64_t* rows);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_CSV_H_
