#include "client/views/video/dlg_child_video_layout.h"

#include "client/views/title_label.h"
#include "client/views/view_factory.h"

namespace hv {

const cDialogLayout& VideoViewLayout() {
  static const cDialogLayout layout = [] {
    cDialogLayout l;
    l.resource_id = ViewResourceId(kViewVideo);
    l.width = 357;
    l.height = 94;
    l.controls = {
        {eControlKind::kLabel, kTitleLabelId, "", 4, 2, 200, 9, 0},
        {eControlKind::kFrame, video::kPreviewArea, "", 0, 13, 357, 63, kControlHidden},
        {eControlKind::kIconList, video::kThumbnailList, "", 0, 13, 357, 63, 0},
        {eControlKind::kCheckBox, video::kPreviewInTab, "Preview In Tab", 4, 80, 64, 10,
         kControlHidden},
        {eControlKind::kCheckBox, video::kSeparateWindow, "Separate Window", 286, 80, 68, 10,
         kControlHidden},
        {eControlKind::kPushButton, video::kZirer, "&Zirer", 78, 78, 48, 14, 0},
        {eControlKind::kPushButton, video::kSnapPicture, "Snap Picture", 130, 78, 48, 14, 0},
        {eControlKind::kPushButton, video::kRecord, "Record", 182, 78, 48, 14, 0},
        {eControlKind::kPushButton, video::kDisplay, "Display", 234, 78, 48, 14, 0},
    };
    return l;
  }();
  return layout;
}

}  // namespace hv
