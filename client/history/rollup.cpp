#include "client/history/rollup.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace hv::history {

int64_t FloorTo(int64_t at, int64_t width) {
  int64_t q = at / width;
  if (at % width != 0 && at < 0) --q;
  return q * width;
}

int64_t LevelWidthMs(RollupLevel level) {
  switch (level) {
    case RollupLevel::kMinute: return 60'000;
    case RollupLevel::kHour: return 3'600'000;
    case RollupLevel::kDay: return 86'400'000;
  }
  return 60'000;
}

bool IsKnown(const ItemPoint& point) { return point.status != kNotReceiving; }
bool HasValue(const ItemPoint& point) { return IsKnown(point) && !std::isnan(point.value); }

namespace {

void AddExtreme(RollupBucket* bucket, double value) {
  if (!bucket->has_value()) {
    bucket->min = bucket->max = value;
  } else {
    bucket->min = std::min(bucket->min, value);
    bucket->max = std::max(bucket->max, value);
  }
}

// `state` held over [from, to), all inside the bucket.
void AddHeld(RollupBucket* bucket, const ItemPoint& state, ItemKind kind, int64_t from,
             int64_t to) {
  if (to <= from || !IsKnown(state)) return;
  bucket->known_ms += to - from;
  if (IsOnStatus(kind, state.status)) bucket->on_ms += to - from;
  if (HasValue(state)) {
    AddExtreme(bucket, state.value);
    bucket->sum += state.value * static_cast<double>(to - from);
    bucket->value_ms += to - from;
  }
}

}  // namespace

RollupBucket HeldBucket(int64_t start_ms, int64_t width_ms, const ItemPoint& state, ItemKind kind) {
  RollupBucket bucket;
  bucket.start_ms = start_ms;
  bucket.width_ms = width_ms;
  AddHeld(&bucket, state, kind, start_ms, start_ms + width_ms);
  bucket.end_state = state;
  return bucket;
}

std::vector<RollupBucket> RollUp(const std::vector<ItemPoint>& points, ItemKind kind,
                                 int64_t from_ms, const ItemPoint* state_before, int64_t end_ms,
                                 RollupLevel level) {
  const int64_t width = LevelWidthMs(level);
  std::map<int64_t, RollupBucket> buckets;
  auto bucket_at = [&](int64_t start) -> RollupBucket& {
    RollupBucket& bucket = buckets[start];
    bucket.start_ms = start;
    bucket.width_ms = width;
    return bucket;
  };
  // Holds `state` over [from, to), bucket by bucket; only the first and the last bucket of the
  // stretch are stored (the ones between are the held state of the first).
  auto hold = [&](const ItemPoint& state, int64_t from, int64_t to) {
    if (to <= from) return;
    const int64_t first = FloorTo(from, width);
    const int64_t last = FloorTo(to - 1, width);
    AddHeld(&bucket_at(first), state, kind, from, std::min(to, first + width));
    bucket_at(first).end_state = state;
    if (last != first) {
      AddHeld(&bucket_at(last), state, kind, last, to);
      bucket_at(last).end_state = state;
    }
  };
  ItemPoint state = state_before != nullptr ? *state_before : ItemPoint{0, kNotReceiving, 0.0};
  int64_t at = from_ms;
  if (state_before != nullptr && IsKnown(state)) {
    bucket_at(FloorTo(from_ms, width)).end_state = state;
  }
  for (const ItemPoint& point : points) {
    hold(state, at, point.at_ms);
    RollupBucket& bucket = bucket_at(FloorTo(point.at_ms, width));
    if (HasValue(point)) {
      AddExtreme(&bucket, point.value);
      ++bucket.count;
    }
    bucket.end_state = point;
    state = point;
    at = std::max(at, point.at_ms);
  }
  hold(state, at, end_ms);
  std::vector<RollupBucket> out;
  out.reserve(buckets.size());
  for (auto& entry : buckets) out.push_back(entry.second);
  return out;
}

}  // namespace hv::history
