// cHeadlessImageList: an in-memory image list that keeps a copy of every picture, so a test
// can check which picture sits at which index.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_IMAGE_LIST_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_IMAGE_LIST_H_

#include <vector>

#include "client/picture/bitmap.h"
#include "client/ui/image_list.h"

namespace hv {

class cHeadlessImageList : public cImageList {
 public:
  cHeadlessImageList(int32_t cell_width, int32_t cell_height, int32_t colour_depth)
      : cell_width_(cell_width), cell_height_(cell_height), colour_depth_(colour_depth) {}

  int32_t CellWidth() const override { return cell_width_; }
  int32_t CellHeight() const override { return cell_height_; }
  int32_t Add(const cBitmap& picture, uint32_t transparent_rgb) override;
  bool Remove(int32_t index) override;
  int32_t Count() const override { return static_cast<int32_t>(pictures_.size()); }

  int32_t ColourDepth() const { return colour_depth_; }
  // The picture as it was added (not scaled).
  const cBitmap& Picture(int32_t index) const { return pictures_.at(static_cast<size_t>(index)); }

 private:
  const int32_t cell_width_;
  const int32_t cell_height_;
  const int32_t colour_depth_;
  std::vector<cBitmap> pictures_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_IMAGE_LIST_H_
