// The history of a range as CSV, read from the store a page at a time so a year of a busy
// house is written without holding it in memory: one record per status sample and activity
// entry, oldest first, under the header "Time,Kind,Name,State,Value,Message,..." (see
// kHistoryCsvHeader).
//
// Where the store keeps an item's past only rolled up (older than its raw days), the export
// writes one summary record per stored bucket, an hour's (a day's for ranges longer than two
// months), among the others in time order: its State and Value are what the item was left at
// when the bucket ended, its Message says "Hourly summary" or "Daily summary", and the columns
// after Message give the bucket's end, the lowest, highest and time-weighted mean value, the
// samples counted and the seconds it was on and known. Those columns are empty for samples
// and entries. Hours without a change are not stored and not written: the state before holds.
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

extern const char kHistoryCsvHeader[];

// The Kind, State and Value texts of an event.
struct CsvEventTexts {
  std::string kind;
  std::string state;
  std::string value;
};

struct HistoryCsvRequest {
  int64_t from_ms = 0;
  int64_t to_ms = 0;
  std::vector<int64_t> item_ids;  // all items and entries when empty
  // The texts the window's table shows for an event, so the file says what the table says;
  // without it: the kind's name, the status number and the value as stored.
  std::function<CsvEventTexts(const StoredEvent& event)> texts;
};

// The level of the summary records of a range.
RollupLevel HistoryCsvSummaryLevel(int64_t from_ms, int64_t to_ms);

// The records WriteHistoryCsv writes for the request (the header not counted).
Status CountHistoryCsvRows(HistoryStore& store, const HistoryCsvRequest& request, int64_t* rows);

// Writes the header and every record of the range to `sink` in pieces; `sink` returns false
// to stop (a failed write), which returns that failure. `rows` counts the records written.
Status WriteHistoryCsv(HistoryStore& store, const HistoryCsvRequest& request,
                       const std::function<bool(std::string_view)>& sink, int64_t* rows);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_CSV_H_
