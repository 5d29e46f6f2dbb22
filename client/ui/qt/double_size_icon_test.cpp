#include "client/ui/qt/double_size_icon.h"

#include <gtest/gtest.h>

#include <QPixmap>

#include "client/picture/bitmap.h"
#include "client/ui/qt/qt_image_list.h"

namespace hv {

namespace {

// A 2 x 1 picture: red, then blue.
QImage RedBlue() {
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(0, 0, 255));
  return image;
}

}  // namespace

TEST(DoubleSizeIconTest, EveryPixelBecomesATwoByTwoBlockWithNothingBlended) {
  const QImage doubled = hv::DoubledImage(RedBlue());
  ASSERT_EQ(doubled.size(), QSize(4, 2));
  EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(doubled.pixel(0, y), qRgb(255, 0, 0));
    EXPECT_EQ(doubled.pixel(1, y), qRgb(255, 0, 0));
    EXPECT_EQ(doubled.pixel(2, y), qRgb(0, 0, 255));
    EXPECT_EQ(doubled.pixel(3, y), qRgb(0, 0, 255));
  }
  EXPECT_TRUE(hv::DoubledImage(QImage()).isNull());
  EXPECT_TRUE(hv::IconAtOneAndTwoTimes(QImage()).isNull());
}

// What a 200 % screen asks for is the doubled art, not the small one smoothed.
TEST(DoubleSizeIconTest, IconsAndPixelArtListsOfferBothSizes) {
  const QIcon icon = hv::IconAtOneAndTwoTimes(RedBlue());
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(2, 1)));
  EXPECT_TRUE(sizes.contains(QSize(4, 2)));
  const QImage sharp = icon.pixmap(QSize(2, 1), 2.0).toImage();
  ASSERT_EQ(sharp.size(), QSize(4, 2));
  EXPECT_EQ(sharp.pixel(1, 1), qRgb(255, 0, 0));
  EXPECT_EQ(sharp.pixel(2, 1), qRgb(0, 0, 255));

  cBitmap picture;
  ASSERT_EQ(picture.Allocate(16, 16).code(), 0);
  cQtImageList images(16, 16);
  ASSERT_EQ(images.Add(picture, kNoTransparentColour), 0);
  EXPECT_TRUE(images.Icon(0).availableSizes().contains(QSize(32, 32)));
  EXPECT_EQ(images.Pixmap(0).size(), QSize(16, 16));
  EXPECT_TRUE(images.Icon(1).isNull());

  // Photographs (thumbnails) are left to the toolkit's smoothing.
  cQtImageList thumbnails(80, 60);
  ASSERT_EQ(thumbnails.Add(picture, kNoTransparentColour), 0);
  EXPECT_FALSE(thumbnails.Icon(0).availableSizes().contains(QSize(160, 120)));
  EXPECT_EQ(thumbnails.Decoration(0).value<QPixmap>().size(), QSize(80, 60));
}

}  // namespace hv
