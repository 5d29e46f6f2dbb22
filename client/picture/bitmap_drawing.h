// Drawing helpers on cBitmap: stretch to a size, crop to a rectangle, and draw one bitmap
// into another at a position (at its own size or stretched), clipped to the target.
#ifndef HV_CLIENT_PICTURE_BITMAP_DRAWING_H_
#define HV_CLIENT_PICTURE_BITMAP_DRAWING_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cBitmap;

// A rectangle in pixels: left and top inclusive, right and bottom exclusive (as the
// toolkit's rectangles are). Empty when right <= left or bottom <= top.
struct sPixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

enum class eBlendMode {
  kCopy,        // target pixels are replaced, alpha included
  kSourceOver,  // the source is laid over the target by its alpha
};

// Makes out a width x height copy of source, stretched with a bilinear filter (weighted by
// alpha, so transparent pixels do not darken the edges they border). A 0 width or height,
// or an empty source, gives an empty out. Ok, or kOutOfMemory (Where::kPicture) when out
// cannot be allocated (out then empty). source and out must be different objects.
[[nodiscard]] Status ScaleBitmap(const cBitmap& source, uint32_t width, uint32_t height,
                                 cBitmap* out);

// Makes out the part of source inside rect, after clamping rect to the source (so out may
// be smaller than asked, or empty). Ok, or kOutOfMemory (Where::kPicture) when out cannot be
// allocated.
[[nodiscard]] Status CropBitmap(const cBitmap& source, const sPixelRect& rect, cBitmap* out);

// Draws source at its own size with its top-left corner at (x, y) of target; whatever falls
// outside target is clipped. source and target must be different objects.
void BlitBitmap(const cBitmap& source, cBitmap* target, int32_t x, int32_t y,
                eBlendMode mode = eBlendMode::kCopy);

// Draws source stretched to fill rect of target (clipped to target). Ok, or kOutOfMemory
// (Where::kPicture) when the stretched copy cannot be allocated (target unchanged).
[[nodiscard]] Status DrawBitmapStretched(const cBitmap& source, cBitmap* target,
                                         const sPixelRect& rect,
                                         eBlendMode mode = eBlendMode::kCopy);

}  // namespace hv

#endif  // HV_CLIENT_PICTURE_BITMAP_DRAWING_H_
