// StoreReader: the history store's reads. An item's points and its pixel reduction from raw
// samples and rollups, the events of a range with their export, the rolled-up buckets, and
// the word search of the activity entries.
#ifndef HV_CLIENT_HISTORY_STORE_READER_H_
#define HV_CLIENT_HISTORY_STORE_READER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/pixel_columns.h"
#include "client/history/rollup.h"
#include "client/history/store_types.h"
#include "core/status.h"

namespace hv::history {

class StoreConnection;

class StoreReader {
 public:
  explicit StoreReader(StoreConnection& connection) : connection_(connection) {}
  StoreReader(const StoreReader&) = delete;
  StoreReader& operator=(const StoreReader&) = delete;

  // The raw samples of an item in [from_ms, to_ms), in the order they came (a mark of
  // kNotReceiving where the client stopped receiving; a NaN value where there is none).
  std::vector<ItemPoint> Points(int64_t item_id, int64_t from_ms, int64_t to_ms);
  // Reduces an item over [from_ms, to_ms) to `out`'s columns from raw samples and rollups,
  // picking the rollup level from the column width. `now_ms` ends the last sample's on-time.
  Status Reduce(int64_t item_id, int64_t now_ms, PixelReduction* out);
  // Events of [from_ms, to_ms) for the given items (all when empty), with the activity entries
  // that name one of them (all when empty), newest first, at most `limit`.
  std::vector<StoredEvent> Events(int64_t from_ms, int64_t to_ms,
                                  const std::vector<int64_t>& item_ids, size_t limit);
  // How many events Events would give for the range without a limit (an export says how many
  // rows it will write before it writes them).
  Status CountEvents(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                     int64_t* count);
  // The same events oldest first, one at a time, without holding them all: `take` returns
  // false to stop.
  Status ForEachEvent(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                      const std::function<bool(const StoredEvent&)>& take);
  // The stored buckets of `level` that start in [from_ms, to_ms) in the rolled-up past of
  // the given items (all when empty), oldest first and by name; buckets in which nothing
  // changed are not stored (the state before holds through them). The raw part of each item
  // is left out: Events gives it.
  Status ForEachRolledBucket(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                             RollupLevel level,
                             const std::function<bool(const StoredBucket&)>& take);
  Status CountRolledBuckets(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                            RollupLevel level, int64_t* count);
  // Activity entries of the whole store whose name, message or path has all the words (a word
  // also matches as the start of a longer one), the newest stored first, at most `limit`:
  // from the word index and, for entries it has not taken in yet, by reading them. Stops at
  // the limit however many entries match.
  std::vector<StoredEvent> SearchLog(const std::string& words, size_t limit);

 private:
  Status AddRolled(int64_t item_id, ItemKind kind, RollupLevel level, int64_t from_ms,
                   int64_t to_ms, PixelReduction* out);
  // The state kept by the rollups at `at_ms` (a bucket boundary); none when none is known.
  std::optional<ItemPoint> RolledStateAt(int64_t item_id, int64_t at_ms);
  // The rolled buckets' query: `select` is the columns, the rest is shared with the count.
  std::string RolledBucketsSql(const char* select, const std::vector<int64_t>& item_ids) const;
  Status ReadEvents(int64_t from_ms, int64_t to_ms, const std::vector<int64_t>& item_ids,
                    bool oldest_first, size_t limit,
                    const std::function<bool(const StoredEvent&)>& take);

  StoreConnection& connection_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_READER_H_
