// cQtImageList: an image list of QPixmaps, each scaled to the cell size, with the
// transparent colour made see-through.
#ifndef HV_CLIENT_UI_QT_QT_IMAGE_LIST_H_
#define HV_CLIENT_UI_QT_QT_IMAGE_LIST_H_

#include <QPixmap>
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
  int32_t Count() const override { return static_cast<int32_t>(pixmaps_.size()); }

  // A null pixmap when out of range.
  QPixmap Pixmap(int32_t index) const;

 private:
  const int32_t cell_width_;
  const int32_t cell_height_;
  std::vector<QPixmap> pixmaps_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_IMAGE_LIST_H_
