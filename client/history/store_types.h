// What the history store's reads and writes deal in: its limits, its stored items, events and
// buckets, and the codes of its failures.
#ifndef HV_CLIENT_HISTORY_STORE_TYPES_H_
#define HV_CLIENT_HISTORY_STORE_TYPES_H_

#include <cstdint>
#include <string>

#include "client/history/history_records.h"
#include "client/history/rollup.h"
#include "core/status.h"

namespace hv::history {

// The disk (or the file's size cap) has no room left: recording stops until there is.
constexpr int32_t kHistoryDiskFull = Code(0x80070070);
// The disk reported an input/output error (a failing disk, a removed drive).
constexpr int32_t kHistoryIoError = Code(0x8007045D);
// The message of the declined status of a reader that cannot read yet (another client is
// making or mending the file, or has not recorded the house): try again shortly.
constexpr char kWaitingForStore[] = "waiting for the store";
// The file's pages were found corrupt, or it is no database at all: StartAfresh mends it.
constexpr int32_t kHistoryCorrupt = Code(0x8007000D);

struct HistoryLimits {
  int keep_days = 365;                      // "Keep History"
  int64_t max_bytes = 200LL * 1024 * 1024;  // the size limit
  int raw_days = 7;                         // raw samples; older ones are rolled up
  int minute_days = 31;                     // minute buckets; hours and days are kept longer
};

struct StoredItem {
  int64_t id = 0;
  ItemKind kind = ItemKind::kSwitch;
  std::string name;
  int keep_days = 0;  // 0: the store's own "Keep History"
  // Nothing before this moment is kept any more (the keep days or the size limit dropped it):
  // a chart shows no value there, not "nothing happened".
  int64_t kept_from_ms = 0;
  // Rows from here on are kept raw (exact); before it, rolled up per minute, hour and day.
  int64_t raw_from_ms = 0;
};

struct ItemUsage {
  StoredItem item;
  int64_t rows = 0;
  int64_t bytes = 0;  // an estimate from its rows, for ranking
};

// One row of the events table: a status sample or an activity entry.
struct StoredEvent {
  int64_t at_ms = 0;
  ItemKind kind = ItemKind::kSwitch;  // kLogName for an activity entry
  std::string name;
  int32_t code = 0;  // status, or the entry's function code
  double value = 0.0;
  int32_t entry_type = 0;
  std::string message;
  std::string date_text;
  std::string time_text;
};

// A stored rollup bucket of an item, for an export of the rolled-up past.
struct StoredBucket {
  ItemKind kind = ItemKind::kSwitch;
  std::string name;
  RollupBucket bucket;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_TYPES_H_
