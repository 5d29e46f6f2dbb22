// StoreTrimmer: keeps the history store within its limits. Raw samples that left the raw
// window are rolled up per minute, hour and day; what is older than the keep days goes, and
// while the house is over the size limit, its oldest days.
#ifndef HV_CLIENT_HISTORY_STORE_TRIMMER_H_
#define HV_CLIENT_HISTORY_STORE_TRIMMER_H_

#include <cstdint>

#include "client/history/history_records.h"
#include "client/history/rollup.h"
#include "client/history/store_types.h"
#include "core/status.h"

namespace hv::history {

class StoreConnection;
class StoreItems;
class StoreReader;

class StoreTrimmer {
 public:
  StoreTrimmer(StoreConnection& connection, StoreItems& items, StoreReader& reader)
      : connection_(connection), items_(items), reader_(reader) {}
  StoreTrimmer(const StoreTrimmer&) = delete;
  StoreTrimmer& operator=(const StoreTrimmer&) = delete;

  // See HistoryStore::Trim.
  Status Trim(int64_t now_ms, const HistoryLimits& limits);

 private:
  Status StoreBucket(int64_t item_id, RollupLevel level, const RollupBucket& bucket);
  // Rolls the item's raw rows before `cutoff_ms` up, from the state the last roll-up ended in.
  Status RollUpItem(int64_t item_id, ItemKind kind, int64_t cutoff_ms);
  // Drops the item's history before a day's start, keeping the state it was in there.
  Status DropItemBefore(int64_t item_id, ItemKind kind, int64_t day_ms);
  Status DropLogBefore(int64_t day_ms);
  Status DropOlder(int64_t now_ms, const HistoryLimits& limits);
  int64_t HouseBytes();
  Status DropForSize(int64_t now_ms, const HistoryLimits& limits);
  // The newest moment this house's rows speak of (INT64_MIN when it has none).
  int64_t NewestRow();

  StoreConnection& connection_;
  StoreItems& items_;
  StoreReader& reader_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_STORE_TRIMMER_H_
