// How the History chart shares its height between the lines of values and the lanes of
// on/off items beneath them, so that every lane's label has the room of a line of text.
#ifndef HV_CLIENT_VIEWS_HISTORY_LANE_PLAN_H_
#define HV_CLIENT_VIEWS_HISTORY_LANE_PLAN_H_

#include <cstdint>

namespace hv::history {

struct LanePlan {
  double share = 1.0;       // of the plot's height, for the lanes
  int32_t label_every = 1;  // every lane is named, or every second, third... when even all
                            // of the height has no room for each (the tool tip names them all)
};

// `lines`: whether lines are drawn above the lanes; they keep at least a quarter of the
// height. Heights in pixels.
LanePlan PlanLanes(int32_t lanes, bool lines, int32_t plot_height, int32_t label_height);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_LANE_PLAN_H_
