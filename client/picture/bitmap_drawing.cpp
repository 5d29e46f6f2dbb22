#include "client/picture/bitmap_drawing.h"

#include <algorithm>
#include <new>
#include <vector>

#include "client/picture/bitmap.h"
#include "core/status.h"

namespace hv {

namespace {

// Where an output pixel's centre falls in the source, as a source index and a 1/256 weight
// towards the next index.
struct sSampleStep {
  uint32_t first;
  uint32_t second;
  uint32_t weight;  // 0..256, of `second`
};

std::vector<sSampleStep> SampleSteps(uint32_t source_size, uint32_t target_size) {
  std::vector<sSampleStep> steps(target_size);
  for (uint32_t i = 0; i < target_size; ++i) {
    // Centre-aligned mapping in 1/256 pixel units: (i + 0.5) * source / target - 0.5.
    int64_t position =
        ((2 * int64_t{i} + 1) * source_size * 256) / (2 * int64_t{target_size}) - 128;
    position = std::clamp<int64_t>(position, 0, (int64_t{source_size} - 1) * 256);
    const auto first = static_cast<uint32_t>(position >> 8);
    steps[i].first = first;
    steps[i].second = std::min(first + 1, source_size - 1);
    steps[i].weight = static_cast<uint32_t>(position & 0xFF);
  }
  return steps;
}

// Blends four pixels with weights summing to 65536, weighting colour by alpha.
uint32_t BlendFour(const uint32_t pixels[4], const uint32_t weights[4]) {
  uint64_t alpha = 0, red = 0, green = 0, blue = 0;
  for (int i = 0; i < 4; ++i) {
    const uint64_t weighted_alpha = uint64_t{weights[i]} * PixelAlpha(pixels[i]);
    alpha += weighted_alpha;
    red += weighted_alpha * PixelRed(pixels[i]);
    green += weighted_alpha * PixelGreen(pixels[i]);
    blue += weighted_alpha * PixelBlue(pixels[i]);
  }
  if (alpha == 0) return 0;
  return ArgbPixel(static_cast<uint32_t>((alpha + 32768) >> 16),
                   static_cast<uint32_t>((red + alpha / 2) / alpha),
                   static_cast<uint32_t>((green + alpha / 2) / alpha),
                   static_cast<uint32_t>((blue + alpha / 2) / alpha));
}

uint32_t SourceOver(uint32_t source, uint32_t target) {
  const uint32_t source_alpha = PixelAlpha(source);
  if (source_alpha == 255) return source;
  if (source_alpha == 0) return target;
  const uint32_t target_alpha = PixelAlpha(target) * (255 - source_alpha) / 255;
  const uint32_t alpha = source_alpha + target_alpha;
  auto channel = [&](uint32_t s, uint32_t t) {
    return (s * source_alpha + t * target_alpha + alpha / 2) / alpha;
  };
  return ArgbPixel(alpha, channel(PixelRed(source), PixelRed(target)),
                   channel(PixelGreen(source), PixelGreen(target)),
                   channel(PixelBlue(source), PixelBlue(target)));
}

}  // namespace

Status ScaleBitmap(const cBitmap& source, uint32_t width, uint32_t height, cBitmap* out) {
  out->Clear();
  if (source.IsEmpty() || width == 0 || height == 0) return Status::Ok();
  if (Status made = out->Allocate(width, height); !made.ok()) return made;
  if (width == source.Width() && height == source.Height()) {
    std::copy(source.Pixels(), source.Pixels() + size_t{width} * height, out->Pixels());
    return Status::Ok();
  }
  std::vector<sSampleStep> columns;
  std::vector<sSampleStep> rows;
  try {
    columns = SampleSteps(source.Width(), width);
    rows = SampleSteps(source.Height(), height);
  } catch (const std::bad_alloc&) {
    out->Clear();
    return Status(Where::kPicture, hv::kOutOfMemory);
  }
  for (uint32_t y = 0; y < height; ++y) {
    const sSampleStep& row = rows[y];
    const uint32_t* upper = source.Row(row.first);
    const uint32_t* lower = source.Row(row.second);
    uint32_t* target = out->Row(y);
    for (uint32_t x = 0; x < width; ++x) {
      const sSampleStep& column = columns[x];
      const uint32_t pixels[4] = {upper[column.first], upper[column.second], lower[column.first],
                                  lower[column.second]};
      const uint32_t weights[4] = {(256 - column.weight) * (256 - row.weight),
                                   column.weight * (256 - row.weight),
                                   (256 - column.weight) * row.weight, column.weight * row.weight};
      target[x] = BlendFour(pixels, weights);
    }
  }
  return Status::Ok();
}

Status CropBitmap(const cBitmap& source, const sPixelRect& rect, cBitmap* out) {
  out->Clear();
  const int64_t left = std::max<int64_t>(rect.left, 0);
  const int64_t top = std::max<int64_t>(rect.top, 0);
  const int64_t right = std::min<int64_t>(rect.right, source.Width());
  const int64_t bottom = std::min<int64_t>(rect.bottom, source.Height());
  if (right <= left || bottom <= top) return Status::Ok();
  const auto width = static_cast<uint32_t>(right - left);
  const auto height = static_cast<uint32_t>(bottom - top);
  if (Status made = out->Allocate(width, height); !made.ok()) return made;
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t* from = source.Row(static_cast<uint32_t>(top) + y) + left;
    std::copy(from, from + width, out->Row(y));
  }
  return Status::Ok();
}

void BlitBitmap(const cBitmap& source, cBitmap* target, int32_t x, int32_t y, eBlendMode mode) {
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + source.Width(), target->Width());
  const int64_t bottom = std::min<int64_t>(int64_t{y} + source.Height(), target->Height());
  if (right <= left || bottom <= top) return;
  for (int64_t row = top; row < bottom; ++row) {
    const uint32_t* from =
        source.Row(static_cast<uint32_t>(row - y)) + static_cast<uint32_t>(left - x);
    uint32_t* to = target->Row(static_cast<uint32_t>(row)) + left;
    const auto count = static_cast<size_t>(right - left);
    if (mode == eBlendMode::kCopy) {
      std::copy(from, from + count, to);
    } else {
      for (size_t i = 0; i < count; ++i) to[i] = SourceOver(from[i], to[i]);
    }
  }
}

Status DrawBitmapStretched(const cBitmap& source, cBitmap* target, const sPixelRect& rect,
                           eBlendMode mode) {
  const int64_t width = int64_t{rect.right} - rect.left;
  const int64_t height = int64_t{rect.bottom} - rect.top;
  if (width <= 0 || height <= 0 || source.IsEmpty()) return Status::Ok();
  if (width > UINT32_MAX || height > UINT32_MAX) return Status(Where::kPicture, hv::kOutOfMemory);
  cBitmap stretched;
  Status status =
      ScaleBitmap(source, static_cast<uint32_t>(width), static_cast<uint32_t>(height), &stretched);
  if (!status.ok()) return status;
  BlitBitmap(stretched, target, rect.left, rect.top, mode);
  return Status::Ok();
}

}  // namespace hv
