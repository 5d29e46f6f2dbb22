#include "client/views/video/dlg_child_video_layout.h"

#include "client/ui/layout_rows.h"
#include "client/views/title_label.h"
#include "client/views/view_kind.h"

namespace hv {

const cDialogLayout& VideoViewLayout() {
  static const cDialogLayout layout = [] {
    cDialogLayout l{
        .resource_id = RowOfKind(ViewKind::kVideo).resource_id, .width = 357, .height = 94};
    l.controls = {
        {eControlKind::kLabel, kTitleLabelId, "", 4, 2, 200, 9, 0},
        {eControlKind::kFrame, video::kPreviewArea, "", 0, 13, 357, 63, kControlHidden},
        {eControlKind::kIconList, video::kThumbnailList, "", 0, 13, 357, 63, 0},
        {eControlKind::kCheckBox, video::kPreviewInTab, "Preview In Tab", 4, 80, 64, 10,
         kControlHidden},
        {eControlKind::kCheckBox, video::kSeparateWindow, "Separate Window", 286, 80, 68, 10,
         kControlHidden},
    };
    AddButtonRow(l, 78, 78, 48, 52,
                 {{video::kZirer, "&Zirer"},
                  {video::kSnapPicture, "Snap Picture"},
                  {video::kRecord, "Record"},
                  {video::kDisplay, "Display"}});
    return l;
  }();
  return layout;
}

}  // namespace hv
