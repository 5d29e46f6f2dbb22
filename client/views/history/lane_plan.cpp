#include "client/views/history/lane_plan.h"

#include <algorithm>
#include <cmath>

namespace hv::history {

LanePlan PlanLanes(int32_t lanes, bool lines, int32_t plot_height, int32_t label_height) {
  LanePlan plan;
  if (lanes <= 0) return plan;
  const double height = std::max(1, plot_height);
  const double needed = static_cast<double>(lanes) * std::max(1, label_height) / height;
  if (lines) {
    // A few lanes take a band proportional to their number; many take what their labels need.
    plan.share = std::clamp(std::max(std::min(0.5, 0.12 * lanes), needed), 0.12, 0.75);
  }
  plan.label_every = std::max(1, static_cast<int32_t>(std::ceil(needed / plan.share - 1e-9)));
  return plan;
}

}  // namespace hv::history
