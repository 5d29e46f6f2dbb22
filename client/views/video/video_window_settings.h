// cVideoWindowSettings: what a video view keeps per video source across runs, in the
// per-user settings section "Video Windows", each value named by its prefix followed directly
// by the source name ("Show Zirer-Front Door"). The client shows no live preview, so the
// preview values are only carried from one run to the next.
#ifndef HV_CLIENT_VIEWS_VIDEO_VIDEO_WINDOW_SETTINGS_H_
#define HV_CLIENT_VIEWS_VIDEO_VIDEO_WINDOW_SETTINGS_H_

#include <cstdint>

#include "client/ui/rect.h"

namespace hv {

struct cVideoWindowSettings {
  int32_t show_preview = 1;  // the hidden "Preview In Tab" check box
  cRect preview_rect;        // a separate preview window
  int32_t preview_always_on_top = 0;
  int32_t full_screen = 0;  // the hidden "Separate Window" check box
  int32_t show_zirer = 0;   // the camera motion dialog was open
  cRect zirer_rect;         // its screen rectangle
  int32_t zirer_always_on_top = 0;

  // Values never stored keep their defaults.
  void Load(const char* company, const char* application, const char* source_name);
  // Without `with_zirer` the camera motion dialog's values are left as they are stored.
  void Save(const char* company, const char* application, const char* source_name,
            bool with_zirer = true) const;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_VIDEO_WINDOW_SETTINGS_H_
