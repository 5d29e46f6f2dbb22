// Rollups: what is older than the raw window is kept per time bucket (a minute, an hour, a
// day) as the min, max and time-weighted mean of an item's values, the time it spent on and
// the time its state was known, so a year stays small and its peaks still show.
//
// A stored bucket covers its whole width: the state held from before its first sample counts
// in it. Buckets in which nothing changed are not stored; a reader holds the state at the end
// of the bucket before (end_status, end_value) through them, so a sensor at 22 °C for three
// days still reads 22 °C once rolled up.
#ifndef HV_CLIENT_HISTORY_ROLLUP_H_
#define HV_CLIENT_HISTORY_ROLLUP_H_

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "client/history/history_records.h"

namespace hv::history {

// Stored as these numbers: never renumber.
enum class RollupLevel : int32_t { kMinute = 0, kHour = 1, kDay = 2 };
constexpr RollupLevel kRollupLevels[] = {RollupLevel::kMinute, RollupLevel::kHour,
                                         RollupLevel::kDay};

int64_t LevelWidthMs(RollupLevel level);
// The start of the bucket of `width` that holds `at_ms` (also for moments before 1970).
int64_t FloorTo(int64_t at_ms, int64_t width);

// One stored sample of an item, as the reduction and the rollups read it. A value of NaN is
// no value (the server gave none); the status kNotReceiving says nothing is known from then on.
struct ItemPoint {
  int64_t at_ms = 0;
  int32_t status = 0;
  double value = 0.0;
};

// True when the point's state is known (not the mark of a time the client was not receiving).
bool IsKnown(const ItemPoint& point);
bool HasValue(const ItemPoint& point);

struct RollupBucket {
  int64_t start_ms = 0;
  int64_t width_ms = 0;
  double min = 0.0;  // of the values held or sampled in it; valid when has_value()
  double max = 0.0;
  double sum = 0.0;      // value x milliseconds over value_ms (the count of samples when 0)
  int64_t count = 0;     // samples with a value in it
  int64_t on_ms = 0;     // how long the item was on within the bucket
  int64_t known_ms = 0;  // how long its state was known (the client was receiving)
  int64_t value_ms = 0;  // how long it had a value
  // The state at the bucket's end, held through the buckets after it that are not stored.
  std::optional<ItemPoint> end_state;
  bool has_value() const { return count > 0 || value_ms > 0; }
  // Time-weighted; the plain mean of its samples for buckets stored before that was kept.
  double mean() const {
    if (value_ms > 0) return sum / static_cast<double>(value_ms);
    return count > 0 ? sum / static_cast<double>(count) : 0.0;
  }
};

// The buckets of `level` over [from_ms, end_ms): the item is in `state_before`'s state (null:
// unknown) from `from_ms` to the first of `points` (in arrival order, at or after `from_ms`),
// each point's state holds until the next one, the last one's until `end_ms`. Only buckets
// in which a point falls are returned, except the first when a state is held into it: the
// buckets between are the held state of the one before.
std::vector<RollupBucket> RollUp(const std::vector<ItemPoint>& points, ItemKind kind,
                                 int64_t from_ms, const ItemPoint* state_before, int64_t end_ms,
                                 RollupLevel level);

// A bucket of `width` at `start_ms` through which `state` was held.
RollupBucket HeldBucket(int64_t start_ms, int64_t width_ms, const ItemPoint& state, ItemKind kind);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_ROLLUP_H_
