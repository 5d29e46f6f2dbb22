// Image lists of pictures the program draws itself (the activity log's and the list views'
// shared pictures), so that it needs no image files for them.
#ifndef HV_CLIENT_VIEWS_DRAWN_IMAGE_LIST_H_
#define HV_CLIENT_VIEWS_DRAWN_IMAGE_LIST_H_

#include <cstdint>
#include <memory>

namespace hv {

class cBitmap;
class cImageList;
class cToolkit;

// The magenta drawn pictures start from, which their image lists show as transparent.
constexpr uint32_t kDrawnTransparent = 0x00FF00FF;

// Draws picture `index` into *picture; false for an index it does not know.
using DrawPicture = bool (*)(int32_t index, cBitmap* picture);

// A new image list of `count` pictures of `width` x `height`, in index order. Null when the
// toolkit cannot make one or a picture cannot be drawn or added.
std::unique_ptr<cImageList> MakeDrawnImageList(cToolkit& toolkit, int32_t width, int32_t height,
                                               int32_t count, DrawPicture draw);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DRAWN_IMAGE_LIST_H_
