// cQtImageList: an image list of pictures, each scaled to the cell size, with the
// transparent colour made see-through. Small cells hold pixel art (list and log pictures),
// which is offered doubled as well for screens scaled to 200 %; large ones hold photographs
// (thumbnails), which the toolkit's smoothing suits better than doubled pixels.
#ifndef HV_CLIENT_UI_QT_QT_IMAGE_LIST_H_
#define HV_CLIENT_UI_QT_QT_IMAGE_LIST_H_

#include <QIcon>
#include <QPixmap>
#include <QVariant>
#include <vector>

#include "client/ui/image_list.h"

namespace hv {

class cQtImageList : public cImageList {
 public:
  cQtImageList(int32_t cell_width, int32_t cell_height)
      : cell_width_(cell_width), cell_height_(cell_height) {}

  int32_t CellWidth() const override { return cell_width_; }
  int32_t CellHeight() const override { return cell_height_; }
  int32_t Add(const cBitmap& picture, uint32_t transparent_rgb) override;
  bool Remove(int32_t index) override;
  int32_t Count() const override { return static_cast<int32_t>(icons_.size()); }

  // At the cell size; a null pixmap when out of range.
  QPixmap Pixmap(int32_t index) const;
  // At the cell size, and doubled where the cells hold pixel art; a null icon when out of
  // range.
  QIcon Icon(int32_t index) const;
  // What a list shows for the picture: the icon for pixel art, the pixmap for photographs.
  QVariant Decoration(int32_t index) const;
  // The cells are small enough to hold pixel art.
  bool HoldsPixelArt() const {
    return cell_width_ <= kPixelArtSize && cell_height_ <= kPixelArtSize;
  }

 private:
  static constexpr int32_t kPixelArtSize = 32;
  const int32_t cell_width_;
  const int32_t cell_height_;
  std::vector<QIcon> icons_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_IMAGE_LIST_H_
