// cHeadlessFileDialog: records every request and answers with the path a test queued (with
// none queued: cancelled).
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_FILE_DIALOG_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_FILE_DIALOG_H_

#include <deque>
#include <optional>
#include <vector>

#include "client/ui/file_dialog.h"

namespace hv {

class cHeadlessFileDialog : public cFileDialog {
 public:
  struct cAsked {
    swString caption;
    swString suggested;
    swString filter;
    cWindow* owner;
  };

  bool AskSaveFileName(cWindow* owner, const char* caption, const char* suggested,
                       const char* filter, swString* path) override {
    asked_.push_back(cAsked{caption, suggested, filter, owner});
    if (answers_.empty()) return false;
    const std::optional<swString> answer = answers_.front();
    answers_.pop_front();
    if (!answer.has_value()) return false;
    *path = *answer;
    return true;
  }

  // The next request chooses this path; QueueCancel makes it cancelled.
  void QueuePath(const char* path) { answers_.emplace_back(swString(path)); }
  void QueueCancel() { answers_.emplace_back(std::nullopt); }
  const std::vector<cAsked>& Asked() const { return asked_; }

 private:
  std::deque<std::optional<swString>> answers_;
  std::vector<cAsked> asked_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_FILE_DIALOG_H_
