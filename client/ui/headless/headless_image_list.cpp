#include "client/ui/headless/headless_image_list.h"

namespace hv {

int32_t cHeadlessImageList::Add(const cBitmap& picture, uint32_t /*transparent_rgb*/) {
  if (picture.IsEmpty()) return -1;
  pictures_.push_back(picture);
  return Count() - 1;
}

bool cHeadlessImageList::Remove(int32_t index) {
  if (index < 0 || index >= Count()) return false;
  pictures_.erase(pictures_.begin() + index);
  return true;
}

}  // namespace hv
