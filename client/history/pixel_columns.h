// The reduction a chart draws from: a time range cut into pixel columns, each with the lowest
// and highest value that fell into it and the share of it the item spent on. Raw samples and
// rollup buckets reduce alike, so a range that spans both draws without a seam, and a year of
// a sensor costs no more to draw than a day.
//
// Gaps: a column tells how much of it the item's state was known (known_ms, known_fraction).
// Where the client was not receiving (not running, not connected) nothing is known: such a
// stretch has no value and no on-time, and a chart draws it as a gap (no line across it, no
// lane) rather than the state before it. A column with known_fraction 0 is all gap.
#ifndef HV_CLIENT_HISTORY_PIXEL_COLUMNS_H_
#define HV_CLIENT_HISTORY_PIXEL_COLUMNS_H_

#include <cstdint>
#include <vector>

#include "client/history/history_records.h"
#include "client/history/rollup.h"

namespace hv::history {

struct PixelColumn {
  // For first_on_ms: rolled-up buckets keep how long an item was on, not when.
  static constexpr int64_t kUnknownTime = INT64_MIN;

  bool has_value = false;
  double min = 0.0;
  double max = 0.0;
  double on_fraction = 0.0;  // 0 (off all the column) to 1 (on all of it)
  // On at some moment of the column, however briefly: a door open for ten seconds in a
  // column of several minutes, or a status that came and went in the same millisecond.
  bool was_on = false;
  int64_t on_ms = 0;                   // how long it was on in the column
  int64_t first_on_ms = kUnknownTime;  // the first moment of the column it was on
  int32_t turned_on = 0;               // how often it went from off to on in the column
  int64_t known_ms = 0;                // how long its state was known in the column
  double known_fraction = 0.0;         // 0 (a gap all through) to 1
  int64_t value_ms = 0;                // how long it had a value in the column
  double value_sum = 0.0;              // value x milliseconds over value_ms
  // The time-weighted mean of the values held in the column (has_value: the min when the
  // values were only moments).
  double mean() const { return value_ms > 0 ? value_sum / static_cast<double>(value_ms) : min; }
};

class PixelReduction {
 public:
  // [from_ms, to_ms) in `columns` columns; an empty range or no columns gives no columns.
  PixelReduction(int64_t from_ms, int64_t to_ms, int columns);

  // Raw samples of [start_ms, ...) in time order; a sample's value and state hold until the
  // next one, or until `end_ms` (the range's end, or "now" when the range reaches past it) for
  // the last one: the store keeps changes only, so a stretch without samples is one where
  // nothing changed. A point with status kNotReceiving begins a gap; one whose value is NaN
  // holds its state without a value. From `start_ms` to the first sample the item is in
  // `state_before`'s state (the last sample before, or null when none is known), and has its value
  // when `before_has_value` (a state taken from rollups has none).
  void AddPoints(const std::vector<ItemPoint>& points, ItemKind kind, int64_t start_ms,
                 int64_t end_ms, const ItemPoint* state_before, bool before_has_value = true);
  // Rolled-up buckets: each bucket's min and max land in every column it overlaps, its
  // on-time is spread over them in proportion.
  void AddBuckets(const std::vector<RollupBucket>& buckets);

  const std::vector<PixelColumn>& columns() const { return columns_; }
  // The column a moment falls into; -1 outside the range.
  int ColumnOf(int64_t at_ms) const;
  // The moment a column starts.
  int64_t ColumnStart(int column) const;

 private:
  void AddValue(int column, double value);
  // Caps what overlapping stretches added up to more than a column holds, in the columns of
  // [from_ms, to_ms] (the ends' own columns included).
  void CapOnTime(int64_t from_ms, int64_t to_ms);
  void HoldValue(double value, int64_t from_ms, int64_t until_ms);
  // `turned_on`: the stretch begins with a change from off to on (not a state held from
  // before the range).
  void AddOnTime(int64_t from_ms, int64_t to_ms, bool turned_on);
  // The state known over [from_ms, to_ms), with its value held when `value` is not NaN.
  void AddKnown(int64_t from_ms, int64_t to_ms, double value);
  // Spreads `amount` over [from_ms, to_ms) in proportion to the columns' share of it.
  template <typename Apply>
  void Spread(int64_t from_ms, int64_t to_ms, const Apply& apply);

  int64_t from_ms_;
  int64_t to_ms_;
  std::vector<PixelColumn> columns_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_PIXEL_COLUMNS_H_
