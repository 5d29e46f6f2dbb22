// The 22 small pictures of the activity log, 20 x 16 pixels each, in the order the entry
// types refer to them: question mark, green, yellow and red dots, sensor (idle, tripped,
// plain), X10 sensor (idle, tripped, plain), bulb (dark, lit, dimmed), macro, envelope,
// loudspeaker, camera, thermometer, face, face with a speech bubble, debug symbol, and the
// day and night panel. They are drawn from pixel art here, so the program needs no image
// files for them.
#ifndef HV_CLIENT_VIEWS_LOG_LOG_IMAGES_H_
#define HV_CLIENT_VIEWS_LOG_LOG_IMAGES_H_

#include <cstdint>
#include <memory>

namespace hv {

class cBitmap;
class cImageList;
class cToolkit;

constexpr int32_t kLogImageWidth = 20;
constexpr int32_t kLogImageHeight = 16;
constexpr int32_t kLogImageCount = 22;

// Draws image `index` (0..21) into *picture, 20 x 16, transparent where nothing is drawn.
// False for an index out of range.
bool DrawLogImage(int32_t index, cBitmap* picture);

// A new image list of the 22 images in order; null when the toolkit cannot make one.
std::unique_ptr<cImageList> MakeLogImageList(cToolkit& toolkit);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_LOG_IMAGES_H_
