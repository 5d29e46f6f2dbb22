// cHeadlessMessageBox: records every message box and answers with what the test queued.
// With nothing queued an OK box answers OK and a Yes/No box No, the answer that changes
// nothing, so a forgotten answer cannot make a test do something drastic.
#ifndef HV_CLIENT_UI_HEADLESS_HEADLESS_MESSAGE_BOX_H_
#define HV_CLIENT_UI_HEADLESS_HEADLESS_MESSAGE_BOX_H_

#include <deque>
#include <functional>
#include <vector>

#include "client/ui/message_box.h"
#include "core/string/sw_string.h"

namespace hv {

class cHeadlessMessageBox : public cMessageBox {
 public:
  struct cShown {
    swString text;
    swString caption;
    cMessageBoxIcon icon;
    cMessageBoxButtons buttons;
    cWindow* owner;
  };

  cMessageBoxAnswer Show(const char* text, const char* caption, cMessageBoxIcon icon,
                         cMessageBoxButtons buttons, cWindow* owner) override;

  void QueueAnswer(cMessageBoxAnswer answer) { answers_.push_back(answer); }
  // Runs inside every Show, while the box counts as open: a real box keeps the program's
  // events coming while it waits, so tests deliver what arrives meanwhile from here.
  void WhileOpen(std::function<void(const cShown&)> action) { while_open_ = std::move(action); }
  const std::vector<cShown>& Shown() const { return shown_; }
  void ClearShown() { shown_.clear(); }

 private:
  std::deque<cMessageBoxAnswer> answers_;
  std::vector<cShown> shown_;
  std::function<void(const cShown&)> while_open_;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_HEADLESS_HEADLESS_MESSAGE_BOX_H_
