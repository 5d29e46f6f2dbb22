#include "client/history/pixel_columns.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

void PixelReduction::CapOnTime(int64_t from_ms, int64_t to_ms) {
  // Only the columns the stretch touched: the others were capped when they last changed (a
  // cap is the same whenever it is taken, the sums only grow), and a year read bucket by
  // bucket would otherwise cap every column at every bucket.
  const size_t first =
      from_ms <= from_ms_ ? 0 : static_cast<size_t>(std::max(0, ColumnOf(from_ms)));
  const size_t last = to_ms >= to_ms_ || ColumnOf(to_ms) < 0 ? columns_.size() - 1
                                                             : static_cast<size_t>(ColumnOf(to_ms));
  for (size_t column = first; column <= last && column < columns_.size(); ++column) {
    PixelColumn& cell = columns_[column];
    cell.on_fraction = std::min(cell.on_fraction, 1.0);
    cell.known_fraction = std::min(cell.known_fraction, 1.0);
    const auto index = static_cast<int>(column);
    const int64_t width = ColumnStart(index + 1) - ColumnStart(index);
    cell.on_ms = std::min(cell.on_ms, width);
    cell.known_ms = std::min(cell.known_ms, width);
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

template <typename Apply>
void PixelReduction::Spread(int64_t from_ms, int64_t to_ms, const Apply& apply) {
  from_ms = std::max(from_ms, from_ms_);
  to_ms = std::min(to_ms, to_ms_);
  if (to_ms <= from_ms) return;
  const int last = ColumnOf(to_ms - 1);
  for (int column = ColumnOf(from_ms); column >= 0 && column <= last; ++column) {
    const int64_t start = ColumnStart(column);
    const int64_t end = ColumnStart(column + 1);
    const int64_t overlap = std::min(end, to_ms) - std::max(start, from_ms);
    if (overlap > 0 && end > start)
      apply(columns_[static_cast<size_t>(column)], overlap, end - start);
  }
}

void PixelReduction::AddKnown(int64_t from_ms, int64_t to_ms, double value) {
  const bool has_value = !std::isnan(value);
  Spread(from_ms, to_ms, [&](PixelColumn& cell, int64_t overlap, int64_t width) {
    cell.known_ms += overlap;
    cell.known_fraction += static_cast<double>(overlap) / static_cast<double>(width);
    if (has_value) {
      cell.value_ms += overlap;
      cell.value_sum += value * static_cast<double>(overlap);
    }
  });
  if (has_value) HoldValue(value, from_ms, to_ms);
}

void PixelReduction::AddPoints(const std::vector<ItemPoint>& points, ItemKind kind,
                               int64_t start_ms, int64_t end_ms, const ItemPoint* state_before,
                               bool before_has_value) {
  if (columns_.empty()) return;
  const int64_t first_change = points.empty() ? end_ms : points.front().at_ms;
  const bool before_known = state_before != nullptr && IsKnown(*state_before);
  bool was_on = before_known && IsOnStatus(kind, state_before->status);
  if (was_on) AddOnTime(start_ms, first_change, false);
  if (before_known) {
    AddKnown(start_ms, first_change,
             before_has_value ? state_before->value : std::numeric_limits<double>::quiet_NaN());
  }
  for (size_t i = 0; i < points.size(); ++i) {
    const ItemPoint& point = points[i];
    const int64_t until = i + 1 < points.size() ? points[i + 1].at_ms : end_ms;
    if (!IsKnown(point)) {
      was_on = false;
      continue;
    }
    if (HasValue(point)) AddValue(ColumnOf(point.at_ms), point.value);
    AddKnown(point.at_ms, until, point.value);
    const bool on = IsOnStatus(kind, point.status);
    if (on) AddOnTime(point.at_ms, until, !was_on);
    was_on = on;
  }
  CapOnTime(start_ms, std::max(end_ms, points.empty() ? end_ms : points.back().at_ms));
}

void PixelReduction::AddBuckets(const std::vector<RollupBucket>& buckets) {
  if (columns_.empty() || buckets.empty()) return;
  int64_t touched_from = INT64_MAX;
  int64_t touched_to = INT64_MIN;
  for (const RollupBucket& bucket : buckets) {
    touched_from = std::min(touched_from, bucket.start_ms);
    touched_to = std::max(touched_to, bucket.start_ms + bucket.width_ms);
    int64_t start = std::max(bucket.start_ms, from_ms_);
    int64_t end = std::min(bucket.start_ms + bucket.width_ms, to_ms_);
    if (start >= end || bucket.width_ms <= 0) continue;
    int first = ColumnOf(start);
    int last = ColumnOf(end - 1);
    if (bucket.has_value()) {
      for (int column = first; column <= last; ++column) {
        AddValue(column, bucket.min);
        AddValue(column, bucket.max);
      }
    }
    // Spread evenly: where in the bucket the item was on, or known, is no longer known.
    const double width = static_cast<double>(bucket.width_ms);
    const double on_share = static_cast<double>(bucket.on_ms) / width;
    const double known_share = static_cast<double>(bucket.known_ms) / width;
    const double value_share = static_cast<double>(bucket.value_ms) / width;
    const double mean = bucket.mean();
    Spread(start, end, [&](PixelColumn& cell, int64_t overlap, int64_t column_width) {
      const double part = static_cast<double>(overlap);
      if (bucket.on_ms > 0) {
        cell.was_on = true;
        cell.on_ms += std::llround(on_share * part);
        cell.on_fraction += on_share * part / static_cast<double>(column_width);
      }
      cell.known_ms += std::llround(known_share * part);
      cell.known_fraction += known_share * part / static_cast<double>(column_width);
      const auto value_ms = std::llround(value_share * part);
      cell.value_ms += value_ms;
      cell.value_sum += mean * static_cast<double>(value_ms);
    });
  }
  CapOnTime(touched_from, touched_to);
}

}  // namespace hv::history
