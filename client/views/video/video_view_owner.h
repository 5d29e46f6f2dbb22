// cVideoViewOwner: what a video view asks of the main window beyond cTabChildOwner: the
// snapshot and the recording, whose one recording flag belongs to the whole window.
#ifndef HV_CLIENT_VIEWS_VIDEO_VIDEO_VIEW_OWNER_H_
#define HV_CLIENT_VIEWS_VIDEO_VIDEO_VIEW_OWNER_H_

#include "core/status.h"

namespace hv {

class cVideoViewOwner {
 public:
  virtual ~cVideoViewOwner() = default;
  // Sends Snap picture for the source. Ok, or the send's failure (reported as an entry).
  [[nodiscard]] virtual Status SnapPicture(const char* source_name) = 0;
  // While a recording runs: sends Stop record and, when sent, ends the recording
  // (declined). Otherwise sends Start record and, when sent, starts it (ok). A failed send
  // is reported as an entry and its status returned; the recording state stays as it was.
  [[nodiscard]] virtual Status RecordToggle(const char* source_name) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_VIDEO_VIEW_OWNER_H_
