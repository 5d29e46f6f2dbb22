#include "client/ui/qt/qt_image_list.h"

#include "client/picture/bitmap.h"
#include "client/ui/qt/qt_button.h"

namespace hv {

int32_t cQtImageList::Add(const cBitmap& picture, uint32_t transparent_rgb) {
  QImage image = ImageFromBitmap(&picture);
  if (image.isNull()) return -1;
  const QRgb key = 0xFF000000u | (transparent_rgb & 0xFFFFFFu);
  for (int y = 0; transparent_rgb != kNoTransparentColour && y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] | 0xFF000000u) == key) line[x] = 0;
    }
  }
  if (image.width() != cell_width_ || image.height() != cell_height_) {
    image =
        image.scaled(cell_width_, cell_height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  pixmaps_.push_back(QPixmap::fromImage(image));
  return Count() - 1;
}

bool cQtImageList::Remove(int32_t index) {
  if (index < 0 || index >= Count()) return false;
  pixmaps_.erase(pixmaps_.begin() + index);
  return true;
}

QPixmap cQtImageList::Pixmap(int32_t index) const {
  if (index < 0 || index >= Count()) return QPixmap();
  return pixmaps_[static_cast<size_t>(index)];
}

}  // namespace hv
