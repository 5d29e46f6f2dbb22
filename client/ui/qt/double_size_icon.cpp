#include "client/ui/qt/double_size_icon.h"

#include <QPixmap>

namespace hv {

QImage DoubledImage(const QImage& image) {
  if (image.isNull()) return QImage();
  QImage doubled = image.scaled(image.width() * 2, image.height() * 2, Qt::IgnoreAspectRatio,
                                Qt::FastTransformation);
  doubled.setDevicePixelRatio(2.0);
  return doubled;
}

QIcon IconAtOneAndTwoTimes(const QImage& image) {
  if (image.isNull()) return QIcon();
  QImage single = image;
  single.setDevicePixelRatio(1.0);
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(single));
  // Entered by its size in pixels: an icon asked for at a ratio of 2 picks it by that size,
  // and trays read the sizes an icon has from there.
  QImage doubled = DoubledImage(single);
  doubled.setDevicePixelRatio(1.0);
  icon.addPixmap(QPixmap::fromImage(doubled));
  return icon;
}

}  // namespace hv
