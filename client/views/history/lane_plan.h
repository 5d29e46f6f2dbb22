// How the History chart shares its height between the lines of values and the lanes of
// on/off items beneath them. Each lane gets the height of a line of text, so its name fits
// beside it; under lines the lanes take at most half the height, so many picked doors never
// squeeze the temperatures flat. The lanes that find no room scroll.
#ifndef HV_CLIENT_VIEWS_HISTORY_LANE_PLAN_H_
#define HV_CLIENT_VIEWS_HISTORY_LANE_PLAN_H_

#include <cstdint>
#include <string>

namespace hv::history {

struct LanePlan {
  double share = 1.0;  // of the plot's height, for the lanes shown
  int32_t first = 0;   // the first lane shown (lanes count from the top)
  int32_t shown = 0;   // how many lanes are shown, from `first` on
  int32_t lanes = 0;   // how many there are
  bool scrolls() const { return shown < lanes; }
};

// `lines`: whether lines are drawn above the lanes. Without lines the lanes share all the
// height, each at least `lane_height` high. `first`: the lane the user scrolled to, kept where
// it leaves no room unused. Heights in pixels.
LanePlan PlanLanes(int32_t lanes, bool lines, int32_t plot_height, int32_t lane_height,
                   int32_t first = 0);

// What the chart says of lanes that scroll: "Lanes 4 to 9 of 14"; "" when all are shown.
std::string LaneScrollText(const LanePlan& plan);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_LANE_PLAN_H_
