#include "client/views/drawn_image_list.h"

#include "client/picture/bitmap.h"
#include "client/ui/image_list.h"
#include "client/ui/toolkit.h"

namespace hv {

std::unique_ptr<cImageList> MakeDrawnImageList(cToolkit& toolkit, int32_t width, int32_t height,
                                               int32_t count, DrawPicture draw) {
  std::unique_ptr<cImageList> list = toolkit.CreateImageList(width, height, 24);
  if (list == nullptr) return nullptr;
  for (int32_t index = 0; index < count; ++index) {
    cBitmap picture;
    if (!draw(index, &picture) || list->Add(picture, kDrawnTransparent) < 0) return nullptr;
  }
  return list;
}

}  // namespace hv
