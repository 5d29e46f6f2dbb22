#include "client/picture/bitmap.h"

#include <bit>
#include <new>
#include <utility>

#include "client/picture/picture_limits.h"
#include "core/status.h"

// The byte order promise of bitmap.h (B, G, R, A in memory) holds only here.
static_assert(std::endian::native == std::endian::little,
              "cBitmap's memory layout is defined for little-endian machines");

cBitmap::cBitmap(cBitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      pixels_(std::move(other.pixels_)) {
  other.pixels_.clear();
}

cBitmap& cBitmap::operator=(cBitmap&& other) noexcept {
  if (this != &other) {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    pixels_ = std::move(other.pixels_);
    other.pixels_.clear();
  }
  return *this;
}

int32_t cBitmap::Allocate(uint32_t width, uint32_t height, uint32_t fill) {
  Clear();
  if (width == 0 && height == 0) return hv::kOk;
  if (!PictureSizeAllowed(width, height)) return hv::kOutOfMemory;
  try {
    pixels_.assign(static_cast<size_t>(width) * height, fill);
  } catch (const std::bad_alloc&) {
    pixels_ = {};
    return hv::kOutOfMemory;
  }
  width_ = width;
  height_ = height;
  return hv::kOk;
}

void cBitmap::Clear() {
  width_ = 0;
  height_ = 0;
  pixels_ = {};  // gives the memory back, unlike clear()
}

uint32_t cBitmap::PixelAt(uint32_t x, uint32_t y) const {
  if (x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void cBitmap::SetPixel(uint32_t x, uint32_t y, uint32_t pixel) {
  if (x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = pixel;
}
