// The four arrow pictures of the camera motion dialog, drawn here so the program needs no
// image files for them: a dark triangle on a transparent ground, pointing left, right, up
// or down (the order of the directions).
#ifndef HV_CLIENT_VIEWS_VIDEO_ZIRER_ARROWS_H_
#define HV_CLIENT_VIEWS_VIDEO_ZIRER_ARROWS_H_

#include <cstdint>

namespace hv {

class cBitmap;

constexpr uint32_t kZirerArrowSize = 24;

// Draws the arrow of `direction` (0 left, 1 right, 2 up, 3 down). False for another value.
bool DrawZirerArrow(int32_t direction, cBitmap* picture);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_ZIRER_ARROWS_H_
