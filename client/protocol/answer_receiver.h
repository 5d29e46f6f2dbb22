// cAnswerReceiver: where decoded answers go, each as one Answer (see answer.h) in one call.
// The shell realises it and routes each kind to the views that show it; the main window's
// relay stands in front of it for the whole run. Receive says what became of the answer:
// ok, declined (window not ready, no such view), or a failure, which ends the connection.
// A Server message or Launch program the desktop could not act on never ends it, nor does
// anything said about a connection that has already ended.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_RECEIVER_H_
#define HV_CLIENT_PROTOCOL_ANSWER_RECEIVER_H_

#include "client/protocol/answer.h"
#include "core/status.h"

namespace hv {

class cAnswerReceiver {
 public:
  virtual ~cAnswerReceiver() = default;

  // Log items reach it only while the socket's log feed is on; Server messages and Launch
  // programs only when addressed to "All" or to this login's user.
  [[nodiscard]] virtual hv::Status Receive(const Answer& answer) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_RECEIVER_H_
