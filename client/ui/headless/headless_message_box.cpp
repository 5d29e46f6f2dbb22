#include "client/ui/headless/headless_message_box.h"

namespace hv {

cMessageBoxAnswer cHeadlessMessageBox::Show(const char* text, const char* caption,
                                            cMessageBoxIcon icon, cMessageBoxButtons buttons,
                                            cWindow* owner) {
  shown_.push_back(cShown{text, caption, icon, buttons, owner});
  if (while_open_) {
    const cShown now = shown_.back();  // the action may show boxes of its own
    while_open_(now);
  }
  if (!answers_.empty()) {
    const cMessageBoxAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return buttons == cMessageBoxButtons::kYesNo ? cMessageBoxAnswer::kNo : cMessageBoxAnswer::kOk;
}

}  // namespace hv
