// The small pictures the list views share (14 images of 20 x 16 pixels, image n being the
// n-th of the program's list-view bitmaps: activity kinds, switch and sensor states) and the
// main window's icon. They are drawn here rather than loaded, so the program needs no image
// files for them.
#ifndef HV_CLIENT_SHELL_DESK_SHARED_IMAGES_H_
#define HV_CLIENT_SHELL_DESK_SHARED_IMAGES_H_

#include <cstdint>
#include <memory>

namespace hv {

class cBitmap;
class cImageList;
class cToolkit;

constexpr int32_t kSharedImageWidth = 20;
constexpr int32_t kSharedImageHeight = 16;
constexpr int32_t kSharedImageCount = 14;

// Draws image `index` (0..13) into *picture (20 x 16). False for an index out of range.
bool DrawSharedImage(int32_t index, cBitmap* picture);

// A new image list holding the 14 images in order; null when the toolkit cannot make one.
std::unique_ptr<cImageList> MakeSharedImageList(cToolkit& toolkit);

// The main window's icon, 16 x 16: a small house, drawn so that it is always there. Empty
// when it cannot be allocated.
cBitmap MakeWindowIcon();

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_SHARED_IMAGES_H_
