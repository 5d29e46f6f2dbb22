#include "client/picture/bitmap_drawing.h"

#include <gtest/gtest.h>

#include "client/picture/bitmap.h"
#include "client/picture/testing/sample_pictures.h"
#include "core/status.h"

namespace hv {

TEST(BitmapDrawingTest, ScalingKeepsRegionsAndBlendsOnlyAtBorders) {
  const cBitmap quadrants = MakeQuadrantPicture(4, 4);
  cBitmap large;
  ASSERT_EQ(ScaleBitmap(quadrants, 80, 60, &large).code(), hv::kOk);
  ASSERT_EQ(large.Width(), 80u);
  ASSERT_EQ(large.Height(), 60u);
  EXPECT_EQ(large.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(large.PixelAt(79, 0), kOpaqueGreen);
  EXPECT_EQ(large.PixelAt(0, 59), kOpaqueBlue);
  EXPECT_EQ(large.PixelAt(79, 59), kOpaqueWhite);
  // At the vertical border between red and green the filter mixes the two.
  const uint32_t border = large.PixelAt(40, 5);
  EXPECT_GT(PixelRed(border), 0u);
  EXPECT_GT(PixelGreen(border), 0u);

  cBitmap small;
  const cBitmap big_quadrants = MakeQuadrantPicture(640, 480);
  ASSERT_EQ(ScaleBitmap(big_quadrants, 80, 60, &small).code(), hv::kOk);
  EXPECT_EQ(small.PixelAt(20, 15), kOpaqueRed);
  EXPECT_EQ(small.PixelAt(60, 45), kOpaqueWhite);

  cBitmap same;
  ASSERT_EQ(ScaleBitmap(quadrants, 4, 4, &same).code(), hv::kOk);
  EXPECT_TRUE(std::equal(same.Pixels(), same.Pixels() + 16, quadrants.Pixels()));
}

TEST(BitmapDrawingTest, ScalingDoesNotDarkenTransparentEdges) {
  cBitmap picture;
  ASSERT_EQ(picture.Allocate(2, 1).code(), hv::kOk);
  picture.SetPixel(0, 0, kOpaqueWhite);
  picture.SetPixel(1, 0, 0);  // transparent black
  cBitmap wide;
  ASSERT_EQ(ScaleBitmap(picture, 8, 1, &wide).code(), hv::kOk);
  for (uint32_t x = 0; x < 8; ++x) {
    const uint32_t pixel = wide.PixelAt(x, 0);
    if (PixelAlpha(pixel) != 0) {
      EXPECT_EQ(pixel & 0xFFFFFFu, 0xFFFFFFu) << "x " << x;
    }
  }
  EXPECT_EQ(PixelAlpha(wide.PixelAt(0, 0)), 255u);
  EXPECT_EQ(PixelAlpha(wide.PixelAt(7, 0)), 0u);
  EXPECT_GT(PixelAlpha(wide.PixelAt(4, 0)), 0u);
  EXPECT_LT(PixelAlpha(wide.PixelAt(4, 0)), 255u);
}

TEST(BitmapDrawingTest, ScalingToNothingOrBeyondTheLimitsGivesEmpty) {
  const cBitmap picture = MakeQuadrantPicture(4, 4);
  cBitmap out;
  ASSERT_EQ(out.Allocate(1, 1).code(), hv::kOk);
  EXPECT_EQ(ScaleBitmap(picture, 0, 10, &out).code(), hv::kOk);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(ScaleBitmap(cBitmap(), 10, 10, &out).code(), hv::kOk);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(ScaleBitmap(picture, 100000, 100000, &out).code(), hv::kOutOfMemory);
  EXPECT_TRUE(out.IsEmpty());
}

TEST(BitmapDrawingTest, CropIsClampedToThePicture) {
  const cBitmap picture = MakeQuadrantPicture(8, 6);
  cBitmap out;
  ASSERT_EQ(CropBitmap(picture, {4, 0, 8, 3}, &out).code(), hv::kOk);
  ASSERT_EQ(out.Width(), 4u);
  ASSERT_EQ(out.Height(), 3u);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(out.PixelAt(x, y), kOpaqueGreen);

  ASSERT_EQ(CropBitmap(picture, {-5, 2, 3, 100}, &out).code(), hv::kOk);  // clamped to 0..3 x 2..6
  EXPECT_EQ(out.Width(), 3u);
  EXPECT_EQ(out.Height(), 4u);
  EXPECT_EQ(out.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(out.PixelAt(0, 3), kOpaqueBlue);

  for (const sPixelRect rect : {sPixelRect{8, 0, 12, 6}, sPixelRect{3, 3, 3, 5},
                                sPixelRect{5, 4, 2, 1}, sPixelRect{INT32_MIN, INT32_MIN, 0, 0}}) {
    ASSERT_EQ(CropBitmap(picture, rect, &out).code(), hv::kOk);
    EXPECT_TRUE(out.IsEmpty());
  }
  ASSERT_EQ(CropBitmap(picture, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, &out).code(),
            hv::kOk);
  EXPECT_EQ(out.Width(), 8u);
  EXPECT_EQ(out.Height(), 6u);
}

TEST(BitmapDrawingTest, BlitIsClippedToTheTarget) {
  const cBitmap picture = MakeQuadrantPicture(4, 4);
  cBitmap target;
  ASSERT_EQ(target.Allocate(6, 5, kOpaqueBlack).code(), hv::kOk);
  BlitBitmap(picture, &target, 3, -2);  // only the lower-left quarter lands, at (3, 0)
  EXPECT_EQ(target.PixelAt(3, 0), kOpaqueBlue);
  EXPECT_EQ(target.PixelAt(4, 1), kOpaqueBlue);
  EXPECT_EQ(target.PixelAt(5, 0), kOpaqueWhite);
  EXPECT_EQ(target.PixelAt(2, 0), kOpaqueBlack);
  EXPECT_EQ(target.PixelAt(3, 2), kOpaqueBlack);

  cBitmap untouched;
  ASSERT_EQ(untouched.Allocate(3, 3, kOpaqueBlack).code(), hv::kOk);
  BlitBitmap(picture, &untouched, 3, 0);
  BlitBitmap(picture, &untouched, -4, 0);
  BlitBitmap(picture, &untouched, INT32_MAX, INT32_MIN);
  BlitBitmap(picture, &untouched, INT32_MIN, INT32_MAX);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(untouched.PixelAt(x, y), kOpaqueBlack);
}

TEST(BitmapDrawingTest, SourceOverBlendsByAlphaWhileCopyReplaces) {
  cBitmap overlay;
  ASSERT_EQ(overlay.Allocate(3, 1).code(), hv::kOk);
  overlay.SetPixel(0, 0, kOpaqueRed);
  overlay.SetPixel(1, 0, 0);                              // transparent: target shows through
  overlay.SetPixel(2, 0, ArgbPixel(128, 255, 255, 255));  // half white

  cBitmap target;
  ASSERT_EQ(target.Allocate(3, 1, kOpaqueBlack).code(), hv::kOk);
  BlitBitmap(overlay, &target, 0, 0, eBlendMode::kSourceOver);
  EXPECT_EQ(target.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(target.PixelAt(1, 0), kOpaqueBlack);
  const uint32_t grey = target.PixelAt(2, 0);
  EXPECT_EQ(PixelAlpha(grey), 255u);
  EXPECT_NEAR(static_cast<int>(PixelRed(grey)), 128, 2);

  BlitBitmap(overlay, &target, 0, 0, eBlendMode::kCopy);
  EXPECT_EQ(target.PixelAt(1, 0), 0u);
}

TEST(BitmapDrawingTest, StretchedDrawingFillsTheRectangle) {
  const cBitmap picture = MakeQuadrantPicture(2, 2);
  cBitmap button;
  ASSERT_EQ(button.Allocate(39, 42, kOpaqueBlack).code(), hv::kOk);
  ASSERT_EQ(DrawBitmapStretched(picture, &button, {0, 0, 39, 42}).code(), hv::kOk);
  EXPECT_EQ(button.PixelAt(0, 0), kOpaqueRed);
  EXPECT_EQ(button.PixelAt(38, 41), kOpaqueWhite);

  cBitmap partly;
  ASSERT_EQ(partly.Allocate(10, 10, kOpaqueBlack).code(), hv::kOk);
  ASSERT_EQ(DrawBitmapStretched(picture, &partly, {5, 5, 25, 25}).code(), hv::kOk);
  EXPECT_EQ(partly.PixelAt(4, 4), kOpaqueBlack);
  EXPECT_EQ(partly.PixelAt(5, 5), kOpaqueRed);
  EXPECT_EQ(DrawBitmapStretched(picture, &partly, {3, 3, 3, 9}).code(), hv::kOk);  // empty rect
}

}  // namespace hv
