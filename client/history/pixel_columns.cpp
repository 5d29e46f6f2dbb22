#include "client/history/pixel_columns.h"

#include <algorithm>
#include <cmath>

namespace hv::history {

PixelReduction::PixelReduction(int64_t from_ms, int64_t to_ms, int columns)
    : from_ms_(from_ms), to_ms_(to_ms) {
  if (to_ms > from_ms && columns > 0) columns_.resize(static_cast<size_t>(columns));
}

int PixelReduction::ColumnOf(int64_t at_ms) const {
  if (columns_.empty() || at_ms < from_ms_ || at_ms >= to_ms_) return -1;
  // 128-bit product: a range of years in milliseconds times thousands of columns overflows
  // nothing, but a hostile or absurd range must not either.
  __int128 offset =
      static_cast<__int128>(at_ms - from_ms_) * static_cast<__int128>(columns_.size());
  return static_cast<int>(offset / (to_ms_ - from_ms_));
}

int64_t PixelReduction::ColumnStart(int column) const {
  __int128 span = static_cast<__int128>(to_ms_ - from_ms_) * column;
  return from_ms_ +
         static_cast<int64_t>(span / static_cast<__int128>(std::max<size_t>(1, columns_.size())));
}

void PixelReduction::AddValue(int column, double value) {
  if (column < 0) return;
  PixelColumn& cell = columns_[static_cast<size_t>(column)];
  if (!cell.has_value) {
    cell.has_value = true;
    cell.min = cell.max = value;
    return;
  }
  cell.min = std::min(cell.min, value);
  cell.max = std::max(cell.max, value);
}

void PixelReduction::AddOnTime(int64_t from_ms, int64_t to_ms, bool turned_on) {
  if (columns_.empty()) return;
  // A status that came and went in the same millisecond was on for a moment: its column
  // shows it, however short.
  const bool moment = from_ms == to_ms;
  turned_on = turned_on && from_ms >= from_ms_;
  from_ms = std::max(from_ms, from_ms_);
  to_ms = std::min(to_ms, to_ms_);
  if (from_ms > to_ms || (from_ms == to_ms && !moment)) return;
  const int first = ColumnOf(from_ms);
  for (int column = first; column >= 0 && column < static_cast<int>(columns_.size()); ++column) {
    const int64_t start = ColumnStart(column);
    const int64_t end = ColumnStart(column + 1);
    if (column != first && start >= to_ms) break;
    PixelColumn& cell = columns_[static_cast<size_t>(column)];
    const int64_t on_from = std::max(start, from_ms);
    cell.was_on = true;
    if (cell.first_on_ms == PixelColumn::kUnknownTime || on_from < cell.first_on_ms) {
      cell.first_on_ms = on_from;
    }
    if (column == first && turned_on) ++cell.turned_on;
    const int64_t overlap = std::min(end, to_ms) - on_from;
    if (overlap > 0 && end > start) {
      cell.on_ms += overlap;
      cell.on_fraction += static_cast<double>(overlap) / static_cast<double>(end - start);
    }
  }
}

void PixelReduction::CapOnTime() {
  for (size_t column = 0; column < columns_.size(); ++column) {
    PixelColumn& cell = columns_[column];
    cell.on_fraction = std::min(cell.on_fraction, 1.0);
    const auto index = static_cast<int>(column);
    cell.on_ms = std::min(cell.on_ms, ColumnStart(index + 1) - ColumnStart(index));
  }
}

void PixelReduction::HoldValue(double value, int64_t from_ms, int64_t until_ms) {
  from_ms = std::max(from_ms, from_ms_);
  until_ms = std::min(until_ms, to_ms_);
  if (until_ms <= from_ms) return;
  const int last = ColumnOf(until_ms - 1);
  for (int column = ColumnOf(from_ms); column >= 0 && column <= last; ++column) {
    AddValue(column, value);
  }
}

void PixelReduction::AddPoints(const std::vector<ItemPoint>& points, ItemKind kind,
                               int64_t start_ms, int64_t end_ms, const ItemPoint* state_before,
                               bool before_has_value) {
  if (columns_.empty()) return;
  const int64_t first_change = points.empty() ? end_ms : points.front().at_ms;
  bool was_on = state_before != nullptr && IsOnStatus(kind, state_before->status);
  if (was_on) AddOnTime(start_ms, first_change, false);
  if (state_before != nullptr && before_has_value) {
    HoldValue(state_before->value, start_ms, first_change);
  }
  for (size_t i = 0; i < points.size(); ++i) {
    const int64_t until = i + 1 < points.size() ? points[i + 1].at_ms : end_ms;
    AddValue(ColumnOf(points[i].at_ms), points[i].value);
    HoldValue(points[i].value, points[i].at_ms, until);
    const bool on = IsOnStatus(kind, points[i].status);
    if (on) AddOnTime(points[i].at_ms, until, !was_on);
    was_on = on;
  }
  CapOnTime();
}

void PixelReduction::AddBuckets(const std::vector<RollupBucket>& buckets) {
  if (columns_.empty()) return;
  for (const RollupBucket& bucket : buckets) {
    int64_t start = std::max(bucket.start_ms, from_ms_);
    int64_t end = std::min(bucket.start_ms + bucket.width_ms, to_ms_);
    if (start >= end) continue;
    int first = ColumnOf(start);
    int last = ColumnOf(end - 1);
    if (bucket.count > 0) {
      for (int column = first; column <= last; ++column) {
        AddValue(column, bucket.min);
        AddValue(column, bucket.max);
      }
    }
    if (bucket.on_ms > 0 && bucket.width_ms > 0) {
      // Spread evenly: where in the bucket the item was on is no longer known.
      double share = static_cast<double>(bucket.on_ms) / static_cast<double>(bucket.width_ms);
      for (int column = first; column <= last; ++column) {
        int64_t c_start = ColumnStart(column);
        int64_t c_end = ColumnStart(column + 1);
        int64_t overlap = std::min(c_end, end) - std::max(c_start, start);
        if (overlap > 0 && c_end > c_start) {
          PixelColumn& cell = columns_[static_cast<size_t>(column)];
          cell.was_on = true;
          cell.on_ms += std::llround(share * static_cast<double>(overlap));
          cell.on_fraction +=
              share * static_cast<double>(overlap) / static_cast<double>(c_end - c_start);
        }
      }
    }
  }
  CapOnTime();
}

}  // namespace hv::history
