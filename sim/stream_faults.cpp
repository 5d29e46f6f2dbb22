#include "sim/stream_faults.h"

namespace hv::sim {

bool StreamFaults::Chance(uint32_t percent) {
  if (percent == 0) return false;
  return std::uniform_int_distribution<uint32_t>(0, 99)(random_) < percent;
}

std::optional<StreamInterruption> StreamFaults::Plan(uint64_t start, size_t block_size) {
  // A block of one byte has no middle.
  if (block_size < 2 || !options_.Any()) return std::nullopt;
  const bool drop = Chance(options_.drop_percent);
  const bool stall = !drop && Chance(options_.stall_percent);
  if (!drop && !stall) return std::nullopt;
  StreamInterruption cut;
  cut.at = start + std::uniform_int_distribution<uint64_t>(1, block_size - 1)(random_);
  cut.drop = drop;
  if (stall)
    cut.stall_ms = std::uniform_int_distribution<uint32_t>(1, options_.stall_max_ms)(random_);
  return cut;
}

}  // namespace hv::sim
