// PictureCache: the pictures housesim serves, drawn once per snapshot and size and then kept
// in a bounded cache, so clients that ask for a hundred thumbnails each do not keep the loop
// busy encoding.
#ifndef HV_SIM_PICTURE_CACHE_H_
#define HV_SIM_PICTURE_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <tuple>
#include <vector>

#include "sim/house.h"

namespace hv::sim {

class PictureCache {
 public:
  static constexpr size_t kEntries = 600;

  // The house must outlive the cache: it names the snapshots' video sources.
  explicit PictureCache(const House& house) : house_(house) {}

  // The JPEG of the snapshot at width x height (large: the better quality of full pictures).
  // A snapshot without a serial (redrawn from what a client knows) is drawn each time. The
  // bytes stay valid until the next call.
  const std::vector<uint8_t>& Draw(const Snapshot& shot, int width, int height, bool large);
  // How many pictures are kept.
  size_t Count() const { return pictures_.size(); }

 private:
  using Key = std::tuple<uint32_t, int, int>;  // snapshot serial, width, height

  const House& house_;
  std::map<Key, std::vector<uint8_t>> pictures_;
  std::deque<Key> order_;  // oldest first
  std::vector<uint8_t> uncached_;
};

}  // namespace hv::sim

#endif  // HV_SIM_PICTURE_CACHE_H_
