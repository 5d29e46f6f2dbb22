// cBitmap: a toolkit-neutral picture in memory, the one form every decoder produces and
// every drawing helper works on.
//
// Pixel layout: rows top to bottom, each row left to right, rows packed with no padding
// (a row is Width() * 4 bytes). Each pixel is one uint32_t 0xAARRGGBB with straight (not
// premultiplied) alpha; 0xFF is opaque. On a little-endian machine the bytes in memory are
// B, G, R, A, which is QImage::Format_ARGB32, so the Qt realisation can wrap Pixels() in a
// QImage without copying (the buffer is 4-byte aligned and lives as long as the cBitmap and
// until the next Allocate/Clear or move).
//
// Allocate places the first pixel 16 bytes past a 32-byte boundary. libjpeg-turbo writes a
// row that starts on a 32-byte boundary with non-temporal stores, which bypass the cache:
// for a thumbnail that made decoding up to three times slower (rows half-way into a cache
// line) and left the pixels out of the cache for the copy that follows.
//
// A default cBitmap is empty (0 x 0, Pixels() null). Bitmaps are values: copying copies the
// pixels.
#ifndef HV_CLIENT_PICTURE_BITMAP_H_
#define HV_CLIENT_PICTURE_BITMAP_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/status.h"

namespace hv {

constexpr uint32_t ArgbPixel(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue) {
  return (alpha & 0xFFu) << 24 | (red & 0xFFu) << 16 | (green & 0xFFu) << 8 | (blue & 0xFFu);
}
constexpr uint32_t PixelAlpha(uint32_t pixel) { return pixel >> 24; }
constexpr uint32_t PixelRed(uint32_t pixel) { return (pixel >> 16) & 0xFFu; }
constexpr uint32_t PixelGreen(uint32_t pixel) { return (pixel >> 8) & 0xFFu; }
constexpr uint32_t PixelBlue(uint32_t pixel) { return pixel & 0xFFu; }

class cBitmap {
 public:
  cBitmap() = default;
  // A copy that cannot get its memory is left empty.
  cBitmap(const cBitmap& other);
  cBitmap& operator=(const cBitmap& other);
  cBitmap(cBitmap&& other) noexcept;
  cBitmap& operator=(cBitmap&& other) noexcept;
  ~cBitmap() = default;

  // Makes the bitmap width x height with every pixel `fill` (transparent black by default).
  // Ok, or kOutOfMemory (Where::kPicture) when the size is outside PictureSizeAllowed() or the
  // memory cannot be had; on failure the bitmap is left empty. 0 x 0 empties it and is ok.
  [[nodiscard]] Status Allocate(uint32_t width, uint32_t height, uint32_t fill = 0);
  // The same with the pixels left unset, for a decoder that writes every one of them: a
  // thumbnail's fill cost a tenth of its decoding.
  [[nodiscard]] Status AllocateUnset(uint32_t width, uint32_t height);
  void Clear();

  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  bool IsEmpty() const { return width_ == 0 || height_ == 0; }

  // Null when empty. Row y starts at Pixels() + y * Width().
  uint32_t* Pixels() { return storage_ ? storage_.get() + offset_ : nullptr; }
  const uint32_t* Pixels() const { return storage_ ? storage_.get() + offset_ : nullptr; }
  uint32_t* Row(uint32_t y) { return Pixels() + static_cast<size_t>(y) * width_; }
  const uint32_t* Row(uint32_t y) const { return Pixels() + static_cast<size_t>(y) * width_; }
  uint32_t BytesPerLine() const { return width_ * 4; }

  // Out-of-range coordinates read 0 and write nothing.
  uint32_t PixelAt(uint32_t x, uint32_t y) const;
  void SetPixel(uint32_t x, uint32_t y, uint32_t pixel);

 private:
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  // Width x height words at offset_ words into storage_ (see the placement note above);
  // storage_ is null when the bitmap is empty.
  std::unique_ptr<uint32_t[]> storage_;
  uint32_t offset_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_BITMAP_H_
