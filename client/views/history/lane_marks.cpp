#include "client/views/history/lane_marks.h"

#include <algorithm>
#include <cmath>

#include "client/views/history/history_range.h"

namespace hv::history {

bool DrawnAsLane(ItemKind kind, const std::vector<PixelColumn>& columns) {
  auto on_off = [kind](double value) {
    return value == 0.0 || (kind == ItemKind::kSwitch && value == 100.0);
  };
  for (const PixelColumn& column : columns) {
    if (column.has_value && (!on_off(column.min) || !on_off(column.max))) return false;
  }
  return true;
}

std::vector<LaneCell> LaneCells(const std::vector<PixelColumn>& columns) {
  std::vector<LaneCell> cells(columns.size());
  for (size_t c = 0; c < columns.size(); ++c) {
    if (!columns[c].was_on) continue;
    cells[c] = {std::max(columns[c].on_fraction, kLeastOnFill), static_cast<int32_t>(c)};
  }
  // A stretch on over several columns is one bar, as high as its fullest column: its partial
  // ends drawn lower would read as a foot wider than the bar, not as minutes it was off.
  for (size_t first = 0; first < columns.size();) {
    size_t end = first;
    double highest = 0.0;
    while (end < columns.size() && columns[end].was_on)
      highest = std::max(highest, cells[end++].fill);
    for (size_t c = first; c < end; ++c) cells[c].fill = highest;
    first = end > first ? end : first + 1;
  }
  // A lone column is one pixel: it takes the next column (the one before at the end), where
  // that was off, so it is at least two wide.
  auto off = [&](size_t c) { return !columns[c].was_on; };
  for (size_t c = 0; c < columns.size(); ++c) {
    if (!columns[c].was_on) continue;
    const bool lone = (c == 0 || off(c - 1)) && (c + 1 == columns.size() || off(c + 1));
    if (!lone) continue;
    if (c + 1 < columns.size()) {
      cells[c + 1] = cells[c];
    } else if (c > 0) {
      cells[c - 1] = cells[c];
    }
  }
  return cells;
}

std::vector<LaneStep> LaneSteps(const std::vector<LaneCell>& cells) {
  std::vector<LaneStep> steps;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (steps.empty() || steps.back().fill != cells[c].fill) {
      steps.push_back({static_cast<int32_t>(c), cells[c].fill});
    }
  }
  return steps;
}

std::string DurationText(int64_t ms) {
  const int64_t seconds = ms / 1000;
  if (seconds < 1) return "under 1 s";
  const int64_t minutes = seconds / 60;
  const int64_t hours = minutes / 60;
  const int64_t days = hours / 24;
  auto two = [](int64_t big, const char* big_unit, int64_t small, const char* small_unit) {
    std::string text = std::to_string(big) + " " + big_unit;
    if (small != 0) text += " " + std::to_string(small) + " " + small_unit;
    return text;
  };
  if (days > 0) return two(days, "d", hours % 24, "h");
  if (hours > 0) return two(hours, "h", minutes % 60, "min");
  if (minutes > 0) return two(minutes, "min", seconds % 60, "s");
  return std::to_string(seconds) + " s";
}

bool IsGap(const PixelColumn& column) {
  return column.known_fraction <= 0.0 && column.known_ms <= 0 && !column.was_on &&
         !column.has_value;
}

namespace {

int64_t ColumnStartOf(const TimeRange& range, size_t column, size_t columns) {
  return range.from_ms +
         static_cast<int64_t>(static_cast<double>(range.span()) * static_cast<double>(column) /
                              static_cast<double>(columns));
}

// The time of day alone when it falls on the same day as `beside`; the date too otherwise.
std::string MomentText(int64_t at_ms, int64_t beside_ms) {
  const std::string when = FormatLocalTime(at_ms);
  const std::string other = FormatLocalTime(beside_ms);
  if (when.size() > 11 && other.size() > 11 && when.compare(0, 10, other, 0, 10) == 0) {
    return when.substr(11);
  }
  return when;
}

}  // namespace

std::string LaneTip(const std::vector<PixelColumn>& columns, const std::vector<LaneCell>& cells,
                    int32_t column, const TimeRange& range) {
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return std::string();
  size_t at = static_cast<size_t>(column);
  if (at < cells.size() && cells[at].source >= 0) at = static_cast<size_t>(cells[at].source);
  const PixelColumn& cell = columns[at];
  if (IsGap(cell)) return "not recorded (Hearthview was not receiving)";
  if (!cell.was_on) return "off";
  // The stretch the item stayed on: back while the column before was on all through (so this
  // column's on began there), forward while this one stays on to its end.
  size_t first = at;
  while (first > 0 && columns[first].turned_on == 0 && columns[first - 1].on_fraction >= 0.999) {
    --first;
  }
  size_t last = at;
  while (last + 1 < columns.size() && columns[last].on_fraction >= 0.999 &&
         columns[last + 1].was_on && columns[last + 1].turned_on == 0) {
    ++last;
  }
  int64_t on_ms = 0;
  for (size_t c = first; c <= last; ++c) on_ms += columns[c].on_ms;
  std::string tip = "on for " + DurationText(on_ms);
  const int64_t beside = ColumnStartOf(range, at, columns.size());
  const PixelColumn& start = columns[first];
  if (first == 0 && start.turned_on == 0 && start.on_fraction >= 0.999) {
    tip += " from before " + FormatLocalTime(range.from_ms);
  } else if (start.first_on_ms == PixelColumn::kUnknownTime) {
    tip += " from about " + MomentText(ColumnStartOf(range, first, columns.size()), beside);
  } else {
    tip += " from " + MomentText(start.first_on_ms, beside);
  }
  // A lone column that came and went several times tells its own count.
  if (first == last && cell.turned_on > 1) {
    tip += ", turned on " + std::to_string(cell.turned_on) + " times";
  }
  return tip;
}

}  // namespace hv::history
