// cQtMessageBox: message boxes on QMessageBox. A test (or a headless run) can queue the next
// answers; a queued answer is returned without showing anything, so nothing blocks.
#ifndef HV_CLIENT_UI_QT_QT_MESSAGE_BOX_H_
#define HV_CLIENT_UI_QT_QT_MESSAGE_BOX_H_

#include <cstdint>
#include <deque>

#include "client/ui/message_box.h"

namespace hv {

class cQtMessageBox : public cMessageBox {
 public:
  // owner: a window of the Qt toolkit, or null.
  cMessageBoxAnswer Show(const char* text, const char* caption, cMessageBoxIcon icon,
                         cMessageBoxButtons buttons, cWindow* owner) override;

  void QueueAnswer(cMessageBoxAnswer answer) { answers_.push_back(answer); }
  int32_t ShownCount() const { return shown_; }

 private:
  std::deque<cMessageBoxAnswer> answers_;
  int32_t shown_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_QT_MESSAGE_BOX_H_
