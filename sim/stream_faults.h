// StreamFaults: decides, block by block as answers are queued, where a connection is to stall
// or be dropped, so a client's tests meet a server that stops half-way through a block. The
// choices come from one seeded generator: the same seed and the same requests give the same
// faults, which lets a failing random run be replayed.
#ifndef HV_SIM_STREAM_FAULTS_H_
#define HV_SIM_STREAM_FAULTS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>

namespace hv::sim {

struct StreamFaultOptions {
  uint32_t stall_percent = 0;  // of blocks, 0..100
  uint32_t stall_max_ms = 0;
  uint32_t drop_percent = 0;  // of blocks, 0..100
  uint64_t seed = 0;

  bool Any() const { return stall_percent > 0 || drop_percent > 0; }
};

// One planned interruption of the byte stream to a client.
struct StreamInterruption {
  uint64_t at = 0;        // stream offset (bytes queued before it) where writing stops
  bool drop = false;      // close the connection there without a Goodbye
  uint32_t stall_ms = 0;  // otherwise: write nothing for this long, then go on
};

class StreamFaults {
 public:
  explicit StreamFaults(const StreamFaultOptions& options)
      : options_(options), random_(options.seed) {}

  // For a block of block_size bytes that starts at stream offset start: the interruption it
  // gets, if any. It falls strictly inside the block, so the client has read part of a header
  // or payload when it comes. A drop wins over a stall in the same block.
  std::optional<StreamInterruption> Plan(uint64_t start, size_t block_size);

 private:
  bool Chance(uint32_t percent);

  StreamFaultOptions options_;
  std::mt19937_64 random_;
};

}  // namespace hv::sim

#endif  // HV_SIM_STREAM_FAULTS_H_
