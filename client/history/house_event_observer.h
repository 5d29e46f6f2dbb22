// HouseEventObserver: what the session tells the history about the house. The connection's
// answer relay hands it every answer it receives, before the window shows it; the observer
// keeps the kinds it records (items, statuses, activity entries). ConnectionStarted opens a
// new session, so the log the server sends again after a reconnect is matched to what is
// already kept; ConnectionEnded says the connection was lost, so what follows until the next
// one is not known.
#ifndef HV_CLIENT_HISTORY_HOUSE_EVENT_OBSERVER_H_
#define HV_CLIENT_HISTORY_HOUSE_EVENT_OBSERVER_H_

#include <string>

#include "client/protocol/answer.h"

namespace hv::history {

class HouseEventObserver {
 public:
  virtual ~HouseEventObserver() = default;

  // `house_key` names the house: the server's address and port.
  virtual void ConnectionStarted(const std::string& house_key) = 0;
  virtual void AnswerReceived(const Answer& answer) = 0;
  virtual void ConnectionEnded() {}
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HOUSE_EVENT_OBSERVER_H_
