// How a lane of on and off draws its pixel columns, and what its tool tip says there. A lane is
// filled where its item was on, as high as the share of the column it was on; but a column in
// which it was on at all is filled at least half, and a lone one is drawn two columns wide, so
// a door open for ten seconds in a day's range still shows (a column is then over a minute).
#ifndef HV_CLIENT_VIEWS_HISTORY_LANE_MARKS_H_
#define HV_CLIENT_VIEWS_HISTORY_LANE_MARKS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/history/pixel_columns.h"
#include "client/views/history/history_range.h"

namespace hv::history {

// Whether an item's columns draw as a lane of on and off rather than a line of values: doors,
// motion, macros and modes carry no value (0), and a switch without a dimmer reports 0 and
// 100 only, which as a line would be a wall from the floor to the top of the chart.
bool DrawnAsLane(ItemKind kind, const std::vector<PixelColumn>& columns);

// The least a column the item was on in is filled, of the lane's height.
constexpr double kLeastOnFill = 0.5;

struct LaneCell {
  double fill = 0.0;    // of the lane's height; 0: off
  int32_t source = -1;  // the column whose on-time this cell draws; -1 where off
};

// One cell per column. A stretch on over several columns is filled as high as its fullest.
std::vector<LaneCell> LaneCells(const std::vector<PixelColumn>& columns);

// The cells as steps: from `column` on, until the next step's column (or the end), the lane is
// filled `fill` high. One step per run of equal fill, so a day that is mostly off draws a few
// dozen points, not thousands.
struct LaneStep {
  int32_t column = 0;
  double fill = 0.0;
};
std::vector<LaneStep> LaneSteps(const std::vector<LaneCell>& cells);

// What the tool tip says of the lane at `column` of `range`: "off", "on for 2 h 5 min from
// 02:03:12 PM" (when the item went on, local time, and how long it stayed on, over every
// column of that stretch), "on for 10 s from 02:03:12 PM, turned on 3 times", "on for 3 d
// from before 12/01/2026 12:00:00 AM" (on since before the range); with rolled-up history,
// whose moments are not kept, "on for 2 h 5 min from about 02:00:00 PM". A column drawn on for
// a neighbour's brief on tells the neighbour's, so the pointer need not hit a single pixel.
// "not recorded" where the client was not receiving.
std::string LaneTip(const std::vector<PixelColumn>& columns, const std::vector<LaneCell>& cells,
                    int32_t column, const TimeRange& range);

// Whether nothing is known of the item in the column: the client was not receiving.
bool IsGap(const PixelColumn& column);

// "under 1 s", "10 s", "3 min 5 s", "2 h 5 min", "3 d 4 h".
std::string DurationText(int64_t ms);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_LANE_MARKS_H_
