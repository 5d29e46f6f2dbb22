#include "client/picture/bitmap.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <new>
#include <utility>

#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

// The byte order promise of bitmap.h (B, G, R, A in memory) holds only here.
static_assert(std::endian::native == std::endian::little,
              "cBitmap's memory layout is defined for little-endian machines");

namespace {

// Room for moving the first pixel to 16 bytes past a 32-byte boundary (at most 28 bytes on).
constexpr size_t kPlacementSlackWords = 7;

// Words from `start` to the first address that is 16 bytes past a 32-byte boundary.
uint32_t PlacementOffset(const uint32_t* start) {
  const auto address = reinterpret_cast<uintptr_t>(start);
  return static_cast<uint32_t>(((16 - address % 32) % 32) / sizeof(uint32_t));
}

}  // namespace

cBitmap::cBitmap(const cBitmap& other) { *this = other; }

cBitmap& cBitmap::operator=(const cBitmap& other) {
  if (this == &other) return *this;
  if (AllocateUnset(other.width_, other.height_).ok() && other.storage_) {
    std::copy_n(other.Pixels(), static_cast<size_t>(width_) * height_, Pixels());
  }
  return *this;
}

cBitmap::cBitmap(cBitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      storage_(std::move(other.storage_)),
      offset_(std::exchange(other.offset_, 0)) {}

cBitmap& cBitmap::operator=(cBitmap&& other) noexcept {
  if (this != &other) {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    storage_ = std::move(other.storage_);
    offset_ = std::exchange(other.offset_, 0);
  }
  return *this;
}

Status cBitmap::Allocate(uint32_t width, uint32_t height, uint32_t fill) {
  Status status = AllocateUnset(width, height);
  if (status.ok() && storage_) std::fill_n(Pixels(), static_cast<size_t>(width) * height, fill);
  return status;
}

Status cBitmap::AllocateUnset(uint32_t width, uint32_t height) {
  Clear();
  if (width == 0 && height == 0) return Status::Ok();
  if (!PictureSizeAllowed(width, height)) return Status(Where::kPicture, hv::kOutOfMemory);
  // Default-initialised: the words are not written here.
  storage_.reset(new (std::nothrow)
                     uint32_t[static_cast<size_t>(width) * height + kPlacementSlackWords]);
  if (!storage_) return Status(Where::kPicture, hv::kOutOfMemory);
  offset_ = PlacementOffset(storage_.get());
  width_ = width;
  height_ = height;
  return Status::Ok();
}

void cBitmap::Clear() {
  width_ = 0;
  height_ = 0;
  storage_.reset();
  offset_ = 0;
}

uint32_t cBitmap::PixelAt(uint32_t x, uint32_t y) const {
  if (x >= width_ || y >= height_) return 0;
  return Pixels()[static_cast<size_t>(y) * width_ + x];
}

void cBitmap::SetPixel(uint32_t x, uint32_t y, uint32_t pixel) {
  if (x >= width_ || y >= height_) return;
  Pixels()[static_cast<size_t>(y) * width_ + x] = pixel;
}

}  // namespace hv
