// The camera motion dialog's window "Zirer Controls": its control ids and its layout.
#ifndef HV_CLIENT_VIEWS_VIDEO_DLG_ZIRER_LAYOUT_H_
#define HV_CLIENT_VIEWS_VIDEO_DLG_ZIRER_LAYOUT_H_

#include <cstdint>

#include "client/ui/dialog_layout.h"

namespace hv {

namespace zirer {
enum : int32_t {
  kResourceId = 241,
  kHide = 2,  // the dialog's Cancel: Escape and the close box do the same
  kUp = 1671,
  kLeft = 1672,
  kRight = 1673,
  kDown = 1674,
  kCenter = 1675,
  kPos1 = 1676,
  kPos2 = 1677,
  kPos3 = 1678,
  kPos4 = 1679,
  kSweep = 1680,
  kAlwaysOnTop = 1681,
  kProgram = 1682,
  kStatus = 1683,
  kRepeatLabel = 1684,  // "Repeat:" and its field stay hidden, so every click pans once
  kRepeat = 1685,
};
}  // namespace zirer

const cDialogLayout& ZirerLayout();

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_DLG_ZIRER_LAYOUT_H_
