// What the history store's files share: the columns its event queries read and a few
// constants of time. Internal to client/history.
#ifndef HV_CLIENT_HISTORY_STORE_ROWS_H_
#define HV_CLIENT_HISTORY_STORE_ROWS_H_

#include <cstdint>
#include <limits>
#include <optional>

#include "client/history/sqlite_statement.h"
#include "client/history/store_types.h"

namespace hv::history {

constexpr int64_t kDayMs = 86'400'000;
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// Up to when the client was last known to be receiving, per house (see MarkNotReceiving).
constexpr char kReceivingKey[] = "receiving";
// The word index holds every activity entry up to this id (see IndexLog).
constexpr char kIndexedTo[] = "log_indexed_to";

// Dropped entries may have been the newest: the next ones take their ids again, so the mark
// comes down with them (whatever is left below it is still indexed).
inline constexpr char kLowerIndexMark[] =
    "UPDATE meta SET value = (SELECT coalesce(max(id), 0) FROM log)"
    " WHERE key = 'log_indexed_to' AND value > (SELECT coalesce(max(id), 0) FROM log)";

inline int64_t FloorDay(int64_t at_ms) { return FloorTo(at_ms, kDayMs); }

// The nine columns of an activity entry `l` (with its item `i`) that EventFromRow reads.
#define HV_ENTRY_COLUMNS \
  " l.at, i.kind, i.name, l.function, l.value, l.type, l.message, l.date, l.time "

// An event from the nine columns the event queries select: at, kind, name, status or
// function code, value, entry type, message, date and time.
inline StoredEvent EventFromRow(const SqliteStatement& row) {
  StoredEvent event;
  event.at_ms = row.Int(0);
  event.kind = static_cast<ItemKind>(row.Int(1));
  event.name = row.Text(2);
  event.code = static_cast<int32_t>(row.Int(3));
  event.value = row.IsNull(4) ? kNoValue : row.Real(4);
  event.entry_type = static_cast<int32_t>(row.Int(5));
  event.message = row.Text(6);
  event.date_text = row.Text(7);
  event.time_text = row.Text(8);
  return event;
}

// The state in two columns of `row` (status, value), at `at_ms`; none when the status is
// NULL.
inline std::optional<ItemPoint> StateFromColumns(const SqliteStatement& row, int status_column,
                                                 int value_column, int64_t at_ms) {
  if (row.IsNull(status_column)) return std::nullopt;
  return ItemPoint{at_ms, static_cast<int32_t>(row.Int(status_column)),
                   row.IsNull(value_column) ? kNoValue : row.Real(value_column)};
}

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_ROWS_H_
