// Small pictures for screens scaled to 200 %: the program's pictures are pixel art of 16 to
// 20 pixels, which the toolkit would smooth into a blur when it draws them twice as large.
// Given the same art at twice the size with every pixel doubled, it draws them sharp.
#ifndef HV_CLIENT_UI_QT_DOUBLE_SIZE_ICON_H_
#define HV_CLIENT_UI_QT_DOUBLE_SIZE_ICON_H_

#include <QIcon>
#include <QImage>

namespace hv {

// The image at twice its width and height, each pixel a 2 x 2 block, marked as drawn for a
// device pixel ratio of 2 (so it takes the original's place at the original's size).
QImage DoubledImage(const QImage& image);

// An icon that offers the image at its own size and doubled; a null icon for a null image.
QIcon IconAtOneAndTwoTimes(const QImage& image);

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_DOUBLE_SIZE_ICON_H_
