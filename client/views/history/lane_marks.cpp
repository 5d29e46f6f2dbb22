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

std::string LaneTip(const std::vector<PixelColumn>& columns, const std::vector<LaneCell>& cells,
                    int32_t column) {
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return std::string();
  size_t at = static_cast<size_t>(column);
  if (at < cells.size() && cells[at].source >= 0) at = static_cast<size_t>(cells[at].source);
  const PixelColumn& cell = columns[at];
  if (!cell.was_on) return "off";
  if (cell.on_fraction >= 0.999) return "on";
  std::string tip = "on for " + DurationText(cell.on_ms);
  if (cell.first_on_ms == PixelColumn::kUnknownTime) {
    return tip + " (" + std::to_string(std::lround(cell.on_fraction * 100)) + "%)";
  }
  // The tip's first line gives the date; the time of day is what tells this moment.
  const std::string when = FormatLocalTime(cell.first_on_ms);
  tip += " from " + (when.size() > 11 ? when.substr(11) : when);
  if (cell.turned_on > 1) tip += ", turned on " + std::to_string(cell.turned_on) + " times";
  return tip;
}

}  // namespace hv::history
