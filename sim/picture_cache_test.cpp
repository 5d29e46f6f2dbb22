#include "sim/picture_cache.h"

#include <gtest/gtest.h>

#include "sim/house_file.h"
#include "sim/sim_clock.h"

namespace hv::sim {
namespace {

Snapshot Shot(uint32_t serial) {
  Snapshot shot;
  shot.source = "Front Door";
  shot.picture_path = "C:\\Pictures\\" + std::to_string(serial) + ".jpg";
  shot.time_stamp = 1705311000 + serial;
  shot.serial = serial;
  return shot;
}

// A picture is drawn once per snapshot and size; the cache stays within its bound by letting
// the oldest go, and a snapshot without a serial (redrawn for a client) is never kept.
TEST(PictureCacheTest, DrawsOncePerSnapshotAndSizeWithinItsBound) {
  FakeSimClock clock;
  House house(DemoHouse(), clock);
  PictureCache cache(house);

  const std::vector<uint8_t>* first = &cache.Draw(Shot(1), 80, 60, false);
  ASSERT_GT(first->size(), 2u);
  EXPECT_EQ((*first)[0], 0xFF);  // a JPEG
  EXPECT_EQ(&cache.Draw(Shot(1), 80, 60, false), first);
  const std::vector<uint8_t> larger = cache.Draw(Shot(1), 320, 240, true);
  EXPECT_NE(larger, *first);

  // Serial 0 is drawn every time into one scratch buffer.
  const std::vector<uint8_t>* unkept = &cache.Draw(Shot(0), 80, 60, false);
  EXPECT_EQ(&cache.Draw(Shot(0), 32, 24, false), unkept);

  // Filling the cache past its bound lets the oldest go: it never holds more than the bound,
  // and the newest pictures are still served from it.
  for (uint32_t serial = 2; serial <= PictureCache::kEntries + 10; ++serial) {
    cache.Draw(Shot(serial), 16, 12, false);
    ASSERT_LE(cache.Count(), PictureCache::kEntries);
  }
  const std::vector<uint8_t>* newest = &cache.Draw(Shot(PictureCache::kEntries), 16, 12, false);
  EXPECT_EQ(&cache.Draw(Shot(PictureCache::kEntries), 16, 12, false), newest);
  EXPECT_EQ(cache.Count(), PictureCache::kEntries);
}

}  // namespace
}  // namespace hv::sim
