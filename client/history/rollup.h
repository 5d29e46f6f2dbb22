// Rollups: what is older than the raw window is kept per time bucket (a minute, an hour, a
// day) as the min, max, mean and count of an item's values and the time it spent on, so a
// year stays small and its peaks still show.
#ifndef HV_CLIENT_HISTORY_ROLLUP_H_
#define HV_CLIENT_HISTORY_ROLLUP_H_

#include <cstdint>
#include <vector>

#include "client/history/history_records.h"

namespace hv::history {

// Stored as these numbers: never renumber.
enum class RollupLevel : int32_t { kMinute = 0, kHour = 1, kDay = 2 };
constexpr RollupLevel kRollupLevels[] = {RollupLevel::kMinute, RollupLevel::kHour,
                                         RollupLevel::kDay};

int64_t LevelWidthMs(RollupLevel level);

struct RollupBucket {
  int64_t start_ms = 0;
  int64_t width_ms = 0;
  double min = 0.0;
  double max = 0.0;
  double sum = 0.0;
  int64_t count = 0;
  int64_t on_ms = 0;  // how long the item was on within the bucket
  double mean() const { return count > 0 ? sum / static_cast<double>(count) : 0.0; }
};

// One stored sample of an item, as the reduction and the rollups read it.
struct ItemPoint {
  int64_t at_ms = 0;
  int32_t status = 0;
  double value = 0.0;
};

// The buckets of `level` that `points` (in time order) fall into. A point that is on counts
// as on until the next point, or until `end_ms` for the last one; on-time is split over the
// buckets it spans. Buckets without a point but with on-time are included.
std::vector<RollupBucket> RollUp(const std::vector<ItemPoint>& points, ItemKind kind,
                                 int64_t end_ms, RollupLevel level);

// Merges `more` into `into` (same bucket).
void MergeBucket(RollupBucket* into, const RollupBucket& more);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_ROLLUP_H_
