#include "client/picture/bitmap.h"

#include <gtest/gtest.h>

#include <utility>

#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

TEST(BitmapTest, AllocateFillsAndIndexesRowMajor) {
  cBitmap bitmap;
  EXPECT_TRUE(bitmap.IsEmpty());
  EXPECT_EQ(bitmap.Pixels(), nullptr);
  ASSERT_EQ(bitmap.Allocate(3, 2, 0xFF112233u).code(), hv::kOk);
  EXPECT_EQ(bitmap.Width(), 3u);
  EXPECT_EQ(bitmap.Height(), 2u);
  EXPECT_EQ(bitmap.BytesPerLine(), 12u);
  EXPECT_EQ(bitmap.PixelAt(2, 1), 0xFF112233u);
  bitmap.SetPixel(2, 1, 0x80FF0000u);
  EXPECT_EQ(bitmap.Pixels()[1 * 3 + 2], 0x80FF0000u);
  EXPECT_EQ(bitmap.Row(1)[2], 0x80FF0000u);
  // In memory the pixel is B, G, R, A: the layout QImage::Format_ARGB32 expects.
  const auto* bytes = reinterpret_cast<const uint8_t*>(bitmap.Row(1) + 2);
  EXPECT_EQ(bytes[0], 0x00);
  EXPECT_EQ(bytes[2], 0xFF);
  EXPECT_EQ(bytes[3], 0x80);
}

TEST(BitmapTest, OutOfRangeAccessReadsZeroAndWritesNothing) {
  cBitmap bitmap;
  ASSERT_EQ(bitmap.Allocate(2, 2, 7).code(), hv::kOk);
  EXPECT_EQ(bitmap.PixelAt(2, 0), 0u);
  EXPECT_EQ(bitmap.PixelAt(0, 2), 0u);
  bitmap.SetPixel(2, 0, 9);
  bitmap.SetPixel(0, 5, 9);
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < 2; ++x) EXPECT_EQ(bitmap.PixelAt(x, y), 7u);
}

TEST(BitmapTest, SizesBeyondTheLimitsAreRefusedBeforeAllocating) {
  cBitmap bitmap;
  ASSERT_EQ(bitmap.Allocate(4, 4).code(), hv::kOk);
  EXPECT_EQ(bitmap.Allocate(kMaxPictureSide + 1, 1).code(), hv::kOutOfMemory);
  EXPECT_TRUE(bitmap.IsEmpty());
  EXPECT_EQ(bitmap.Allocate(kMaxPictureSide, kMaxPictureSide).code(), hv::kOutOfMemory);  // 1 GiB
  EXPECT_EQ(bitmap.Allocate(100000, 100000).code(), hv::kOutOfMemory);
  EXPECT_EQ(bitmap.Allocate(0, 5).code(), hv::kOutOfMemory);
  EXPECT_EQ(bitmap.Allocate(0, 0).code(), hv::kOk);
  EXPECT_TRUE(bitmap.IsEmpty());
  EXPECT_TRUE(PictureSizeAllowed(kMaxPictureSide, kMaxPictureBytes / 4 / kMaxPictureSide));
  EXPECT_FALSE(PictureSizeAllowed(kMaxPictureSide, kMaxPictureBytes / 4 / kMaxPictureSide + 1));
}

TEST(BitmapTest, CopiesAreIndependentAndMovesEmptyTheSource) {
  cBitmap original;
  ASSERT_EQ(original.Allocate(2, 1, 1).code(), hv::kOk);
  cBitmap copy = original;
  copy.SetPixel(0, 0, 2);
  EXPECT_EQ(original.PixelAt(0, 0), 1u);

  cBitmap moved = std::move(original);
  EXPECT_EQ(moved.Width(), 2u);
  EXPECT_TRUE(original.IsEmpty());  // NOLINT(bugprone-use-after-move): moves leave it empty
  EXPECT_EQ(original.Width(), 0u);
  copy = std::move(moved);
  EXPECT_EQ(copy.PixelAt(0, 0), 1u);
  EXPECT_TRUE(moved.IsEmpty());  // NOLINT(bugprone-use-after-move)
}

// Decoders write straight into Pixels(); a row on a 32-byte boundary makes libjpeg-turbo use
// cache-bypassing stores, so every allocation starts 16 bytes past one.
TEST(BitmapTest, PixelsStartHalfWayIntoA32ByteBlockWhateverTheSize) {
  for (uint32_t width : {1u, 7u, 80u, 81u, 640u}) {
    cBitmap bitmap;
    ASSERT_EQ(bitmap.Allocate(width, 3, 0xFF000000u + width).code(), hv::kOk);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.Pixels()) % 32, 16u) << width;
    EXPECT_EQ(bitmap.Row(2), bitmap.Pixels() + 2 * width);
    EXPECT_EQ(bitmap.PixelAt(width - 1, 2), 0xFF000000u + width);
    const cBitmap copy = bitmap;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(copy.Pixels()) % 32, 16u) << width;
    for (uint32_t x = 0; x < width; ++x) ASSERT_EQ(copy.Row(2)[x], 0xFF000000u + width);
    cBitmap unset;
    ASSERT_EQ(unset.AllocateUnset(width, 2).code(), hv::kOk);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(unset.Pixels()) % 32, 16u) << width;
    EXPECT_EQ(unset.Width(), width);
    unset.SetPixel(width - 1, 1, 5);
    EXPECT_EQ(unset.PixelAt(width - 1, 1), 5u);
  }
  cBitmap empty;
  cBitmap copy_of_empty = empty;
  EXPECT_TRUE(copy_of_empty.IsEmpty());
  EXPECT_EQ(copy_of_empty.Pixels(), nullptr);
  EXPECT_EQ(empty.AllocateUnset(kMaxPictureSide + 1, 1).code(), hv::kOutOfMemory);
  EXPECT_TRUE(empty.IsEmpty());
}

}  // namespace hv
