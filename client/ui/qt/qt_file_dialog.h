// cQtFileDialog: the save dialog on QFileDialog. A test can queue the next answers (a path,
// or cancel); a queued answer is returned without showing anything.
#ifndef HV_CLIENT_UI_QT_QT_FILE_DIALOG_H_
#define HV_CLIENT_UI_QT_QT_FILE_DIALOG_H_

#include <cstdint>
#include <deque>
#include <optional>

#include "client/ui/file_dialog.h"

namespace hv {

class cQtFileDialog : public cFileDialog {
 public:
  bool AskSaveFileName(cWindow* owner, const char* caption, const char* suggested,
                       const char* filter, swString* path) override;

  void QueuePath(const char* path) { answers_.emplace_back(swString(path)); }
  void QueueCancel() { answers_.emplace_back(std::nullopt); }

 private:
  std::deque<std::optional<swString>> answers_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_FILE_DIALOG_H_
