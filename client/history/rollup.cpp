#include "client/history/rollup.h"

#include <algorithm>
#include <map>

namespace hv::history {

namespace {

int64_t FloorTo(int64_t at, int64_t width) {
  int64_t q = at / width;
  if (at % width != 0 && at < 0) --q;
  return q * width;
}

}  // namespace

int64_t LevelWidthMs(RollupLevel level) {
  switch (level) {
    case RollupLevel::kMinute: return 60'000;
    case RollupLevel::kHour: return 3'600'000;
    case RollupLevel::kDay: return 86'400'000;
  }
  return 60'000;
}

void MergeBucket(RollupBucket* into, const RollupBucket& more) {
  if (more.count > 0) {
    if (into->count == 0) {
      into->min = more.min;
      into->max = more.max;
    } else {
      into->min = std::min(into->min, more.min);
      into->max = std::max(into->max, more.max);
    }
  }
  into->sum += more.sum;
  into->count += more.count;
  into->on_ms += more.on_ms;
}

std::vector<RollupBucket> RollUp(const std::vector<ItemPoint>& points, ItemKind kind,
                                 int64_t end_ms, RollupLevel level) {
  const int64_t width = LevelWidthMs(level);
  std::map<int64_t, RollupBucket> buckets;
  auto bucket_at = [&](int64_t start) -> RollupBucket& {
    RollupBucket& bucket = buckets[start];
    bucket.start_ms = start;
    bucket.width_ms = width;
    return bucket;
  };
  for (size_t i = 0; i < points.size(); ++i) {
    const ItemPoint& point = points[i];
    RollupBucket one;
    one.min = one.max = one.sum = point.value;
    one.count = 1;
    MergeBucket(&bucket_at(FloorTo(point.at_ms, width)), one);
    if (!IsOnStatus(kind, point.status)) continue;
    int64_t until = i + 1 < points.size() ? points[i + 1].at_ms : end_ms;
    for (int64_t from = point.at_ms; from < until;) {
      int64_t start = FloorTo(from, width);
      int64_t stop = std::min(until, start + width);
      bucket_at(start).on_ms += stop - from;
      from = stop;
    }
  }
  std::vector<RollupBucket> out;
  out.reserve(buckets.size());
  for (auto& entry : buckets) out.push_back(entry.second);
  return out;
}

}  // namespace hv::history
