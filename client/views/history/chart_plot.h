// Where the History chart puts what it draws, in the chart's own units: milliseconds across,
// values (or lanes, one unit high each) up. The toolkit's chart only draws what these give,
// so the arithmetic is the same on every desktop and is tested without one.
#ifndef HV_CLIENT_VIEWS_HISTORY_CHART_PLOT_H_
#define HV_CLIENT_VIEWS_HISTORY_CHART_PLOT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "client/views/history/history_chart.h"
#include "client/views/history/history_range.h"
#include "client/views/history/lane_marks.h"
#include "client/views/history/lane_plan.h"

namespace hv::history {

constexpr double kLaneHeight = 1.0;
constexpr double kLaneFill = 0.7;  // of a lane's height; the rest keeps lanes apart

struct ChartPoint {
  double x = 0;  // ms since 1970
  double y = 0;
};

// The time at the left edge of pixel column `column` of `columns` across `range`; `columns`
// itself is the right edge of the last.
double ColumnEdge(const TimeRange& range, int32_t column, size_t columns);
// The time in the middle of a column, where a line's points for it go.
double ColumnMiddle(const TimeRange& range, size_t column, size_t columns);
// The column of `columns` a time falls in; times outside the range give the nearest column.
size_t ColumnAt(const TimeRange& range, int64_t at_ms, size_t columns);

// Where the lane whose place among the lanes is `lane` (the first at the top) starts, in lane
// units from the bottom of the lanes shown.
double LaneBase(const LanePlan& plan, int32_t lane);
// The top of a lane's fill, from column edge to column edge, two points per step: a column the
// item was on in reads as a bar of its own width, not as a spike between two column middles.
std::vector<ChartPoint> LaneOutline(const std::vector<LaneStep>& steps, const TimeRange& range,
                                    size_t columns, double base);

// What the lines of values span, with a twentieth of room above and below, and what their
// values measure (each name once, in the order of the lines), for the value axis. Lanes do not
// count; with no value at all the span is 0 to 1.
struct LinesSpan {
  double low = 0;
  double high = 1;
  std::vector<std::string> measures;
};
LinesSpan SpanOfLines(const std::vector<HistorySeries>& series);

// The value axis when lanes lie beneath the lines: whole steps of the axis' own are added below
// the lines, so the lines never run through a lane and the steps stay round, and only the lines'
// part is labelled (a "-50" beside a door's lane would mean nothing), every step where there is
// room for its label, every second (or third...) where there is not.
struct ValueAxisPlan {
  double start = 0;       // the axis' bottom, under the lanes
  double end = 0;         // the axis' top: the lines' top
  double lane_share = 0;  // of the plot's height, the lanes' part
  std::vector<double> labels;
};
// `bottom` and `top`: the lines' axis as the toolkit rounded it, with `ticks` ticks;
// `wanted_share`: the lanes' share of the plan. Heights in pixels.
ValueAxisPlan PlanValueAxis(double bottom, double top, int32_t ticks, double wanted_share,
                            double plot_height, int32_t label_height);

// What the tool tip says of one series at `column`: its value ("21.5", "18 to 19.5"), "-"
// where no value came, "not recorded" where the client was not receiving, or the lane's tip
// (`cells` are its lane cells; empty for a line).
std::string SeriesTipValue(const HistorySeries& series, const std::vector<LaneCell>& cells,
                           size_t column, const TimeRange& range);

// "History from 12/09/2026 03:00:00 PM to 12/10/2026 03:00:00 PM": the title of the picture.
std::string PictureTitle(const TimeRange& range);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_CHART_PLOT_H_
