// The video view's window: its control ids and its layout.
#ifndef HV_CLIENT_VIEWS_VIDEO_DLG_CHILD_VIDEO_LAYOUT_H_
#define HV_CLIENT_VIEWS_VIDEO_DLG_CHILD_VIDEO_LAYOUT_H_

#include <cstdint>

#include "client/ui/dialog_layout.h"

namespace hv {

namespace video {
enum : int32_t {
  kPreviewArea = 1661,  // hidden: the client shows no live preview
  kThumbnailList = 1662,
  kPreviewInTab = 1663,    // hidden check box "Preview In Tab"
  kSeparateWindow = 1664,  // hidden check box "Separate Window"
  kZirer = 1665,
  kSnapPicture = 1666,
  kRecord = 1667,
  kDisplay = 1668,
};
}  // namespace video

// Title label, hidden preview area, the thumbnail icon list, the two hidden check boxes and
// the button row "&Zirer", "Snap Picture", "Record", "Display".
const cDialogLayout& VideoViewLayout();

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_DLG_CHILD_VIDEO_LAYOUT_H_
