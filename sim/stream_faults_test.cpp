#include "sim/stream_faults.h"

#include <gtest/gtest.h>

#include <vector>

namespace hv::sim {
namespace {

std::vector<StreamInterruption> PlanMany(const StreamFaultOptions& options, int blocks) {
  StreamFaults faults(options);
  std::vector<StreamInterruption> plans;
  for (int i = 0; i < blocks; ++i) {
    const uint64_t start = static_cast<uint64_t>(i) * 100;
    if (auto cut = faults.Plan(start, 100)) {
      EXPECT_GT(cut->at, start);  // strictly inside the block
      EXPECT_LT(cut->at, start + 100);
      plans.push_back(*cut);
    }
  }
  return plans;
}

TEST(StreamFaultsTest, FallInsideBlocksAtTheirRateAndReplayFromTheSeed) {
  StreamFaultOptions options;
  options.stall_percent = 30;
  options.stall_max_ms = 50;
  options.drop_percent = 5;
  options.seed = 42;
  const std::vector<StreamInterruption> plans = PlanMany(options, 2000);
  size_t drops = 0;
  for (const StreamInterruption& cut : plans) {
    if (cut.drop) {
      ++drops;
      EXPECT_EQ(cut.stall_ms, 0u);
    } else {
      EXPECT_GE(cut.stall_ms, 1u);
      EXPECT_LE(cut.stall_ms, 50u);
    }
  }
  // 5% drops and 30% of the rest stalled: about 100 and 570 of 2000.
  EXPECT_GT(drops, 50u);
  EXPECT_LT(drops, 150u);
  EXPECT_GT(plans.size() - drops, 450u);
  EXPECT_LT(plans.size() - drops, 700u);

  const std::vector<StreamInterruption> again = PlanMany(options, 2000);
  ASSERT_EQ(again.size(), plans.size());
  for (size_t i = 0; i < plans.size(); ++i) {
    EXPECT_EQ(again[i].at, plans[i].at);
    EXPECT_EQ(again[i].stall_ms, plans[i].stall_ms);
  }
  options.seed = 43;
  const std::vector<StreamInterruption> other = PlanMany(options, 2000);
  EXPECT_TRUE(other.size() != plans.size() || other[0].at != plans[0].at);
}

TEST(StreamFaultsTest, NoneWhenOffOrTheBlockHasNoMiddle) {
  EXPECT_TRUE(PlanMany(StreamFaultOptions(), 100).empty());
  StreamFaultOptions always;
  always.drop_percent = 100;
  StreamFaults faults(always);
  EXPECT_FALSE(faults.Plan(0, 1).has_value());
  EXPECT_TRUE(faults.Plan(0, 2).has_value());
}

}  // namespace
}  // namespace hv::sim
