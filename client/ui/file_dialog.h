// cFileDialog: the desktop's dialog for choosing where to save a file. The toolkit
// realisation shows the real one; the in-memory one answers with what a test queued, so
// tests never block.
#ifndef HV_CLIENT_UI_FILE_DIALOG_H_
#define HV_CLIENT_UI_FILE_DIALOG_H_

#include "core/string/sw_string.h"

namespace hv {

class cWindow;

class cFileDialog {
 public:
  virtual ~cFileDialog() = default;

  // Asks for a file to save to, offering `suggested` (a name or a path; may be empty) and
  // showing only files that match `filter` ("CSV files (*.csv)"; empty: all files). True and
  // *path (the file system's bytes) when the user chose a file, false when cancelled. The
  // dialog itself asks before an existing file is replaced. `owner` is a window of the same
  // toolkit, or null.
  virtual bool AskSaveFileName(cWindow* owner, const char* caption, const char* suggested,
                               const char* filter, swString* path) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_FILE_DIALOG_H_
