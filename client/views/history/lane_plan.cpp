#include "client/views/history/lane_plan.h"

#include <algorithm>

namespace hv::history {

LanePlan PlanLanes(int32_t lanes, bool lines, int32_t plot_height, int32_t lane_height,
                   int32_t first) {
  LanePlan plan;
  if (lanes <= 0) return plan;
  plan.lanes = lanes;
  const int32_t height = std::max(1, plot_height);
  const int32_t lane = std::max(1, lane_height);
  // The lines keep half; one lane is shown however small the chart.
  const int32_t room = std::max(1, (lines ? height / 2 : height) / lane);
  plan.shown = std::min(lanes, room);
  plan.first = std::clamp(first, 0, lanes - plan.shown);
  if (lines) plan.share = static_cast<double>(plan.shown * lane) / height;
  return plan;
}

std::string LaneScrollText(const LanePlan& plan) {
  if (!plan.scrolls()) return std::string();
  return "Lanes " + std::to_string(plan.first + 1) + " to " +
         std::to_string(plan.first + plan.shown) + " of " + std::to_string(plan.lanes);
}

}  // namespace hv::history
