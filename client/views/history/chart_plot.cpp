#include "client/views/history/chart_plot.h"

#include <algorithm>
#include <cmath>

#include "client/views/history/history_event_texts.h"

namespace hv::history {

double ColumnEdge(const TimeRange& range, int32_t column, size_t columns) {
  return static_cast<double>(range.from_ms) +
         static_cast<double>(range.span()) * column / static_cast<double>(columns);
}

double ColumnMiddle(const TimeRange& range, size_t column, size_t columns) {
  double width = static_cast<double>(range.span()) / static_cast<double>(columns);
  return static_cast<double>(range.from_ms) + width * (static_cast<double>(column) + 0.5);
}

size_t ColumnAt(const TimeRange& range, int64_t at_ms, size_t columns) {
  if (columns == 0 || range.span() <= 0) return 0;
  return static_cast<size_t>(
      std::clamp<int64_t>((at_ms - range.from_ms) * static_cast<int64_t>(columns) / range.span(), 0,
                          static_cast<int64_t>(columns) - 1));
}

double LaneBase(const LanePlan& plan, int32_t lane) {
  return kLaneHeight * static_cast<double>(plan.first + plan.shown - 1 - lane);
}

std::vector<ChartPoint> LaneOutline(const std::vector<LaneStep>& steps, const TimeRange& range,
                                    size_t columns, double base) {
  std::vector<ChartPoint> outline;
  outline.reserve(steps.size() * 2);
  for (size_t i = 0; i < steps.size(); ++i) {
    const int32_t end = i + 1 < steps.size() ? steps[i + 1].column : static_cast<int32_t>(columns);
    const double y = base + kLaneFill * steps[i].fill;
    outline.push_back({ColumnEdge(range, steps[i].column, columns), y});
    outline.push_back({ColumnEdge(range, end, columns), y});
  }
  return outline;
}

LinesSpan SpanOfLines(const std::vector<HistorySeries>& series) {
  LinesSpan span;
  double low = 0, high = 1;
  bool any_value = false;
  for (const HistorySeries& one : series) {
    if (one.timeline) continue;
    if (!one.measure.empty() &&
        std::find(span.measures.begin(), span.measures.end(), one.measure) == span.measures.end()) {
      span.measures.push_back(one.measure);
    }
    for (const PixelColumn& column : one.columns) {
      if (!column.has_value) continue;
      low = any_value ? std::min(low, column.min) : column.min;
      high = any_value ? std::max(high, column.max) : column.max;
      any_value = true;
    }
  }
  // A flat line still gets an axis with room to tell its value.
  if (high - low < 1e-9) high = low + 1;
  span.low = low - (high - low) * 0.05;
  span.high = high + (high - low) * 0.05;
  return span;
}

ValueAxisPlan PlanValueAxis(double bottom, double top, int32_t ticks, double wanted_share,
                            double plot_height, int32_t label_height) {
  ValueAxisPlan plan;
  const double span = top - bottom;
  const int32_t intervals = std::max(1, ticks - 1);
  const double step = span / intervals;
  // Lanes may want the whole plot; the lines keep a sliver at least, so the steps stay finite.
  const double wanted = std::clamp(wanted_share, 0.0, 0.95);
  const int32_t steps =
      std::max(1, static_cast<int32_t>(std::ceil(span * wanted / (1 - wanted) / step - 1e-9)));
  plan.lane_share = steps * step / (span + steps * step);
  plan.start = bottom - steps * step;
  plan.end = top;
  const double lines_height = plot_height * (1 - plan.lane_share);
  const int32_t every =
      lines_height <= 0 ? intervals
                        : std::max(1, static_cast<int32_t>(std::ceil(
                                          label_height * (intervals + 1) / lines_height - 1e-9)));
  for (int32_t i = intervals % every; i <= intervals; i += every) {
    const double value = bottom + step * i;
    // A sum of steps lands a hair off zero; the axis says 0 there, not 1.7e-15.
    plan.labels.push_back(std::abs(value) < step * 1e-6 ? 0.0 : value);
  }
  return plan;
}

std::string SeriesTipValue(const HistorySeries& series, const std::vector<LaneCell>& cells,
                           size_t column, const TimeRange& range) {
  if (column >= series.columns.size()) return "-";
  const PixelColumn& cell = series.columns[column];
  if (series.timeline) {
    return LaneTip(series.columns, cells, static_cast<int32_t>(column), range);
  }
  if (IsGap(cell)) return "not recorded";
  if (!cell.has_value) return "-";
  // As the events table beneath writes values: a point whatever the locale.
  if (cell.min == cell.max) return ValueText(cell.min);
  return ValueText(cell.min) + " to " + ValueText(cell.max);
}

std::string PictureTitle(const TimeRange& range) {
  return "History from " + FormatLocalTime(range.from_ms) + " to " + FormatLocalTime(range.to_ms);
}

}  // namespace hv::history
