// HouseEventObserver: what the session tells the history about the house. The connection's
// answer relay calls it for every item, status and activity entry it receives, before the
// window shows them; ConnectionStarted opens a new session, so the log the server sends again
// after a reconnect is matched to what is already kept.
#ifndef HV_CLIENT_HISTORY_HOUSE_EVENT_OBSERVER_H_
#define HV_CLIENT_HISTORY_HOUSE_EVENT_OBSERVER_H_

#include <string>

#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"

namespace hv::history {

class HouseEventObserver {
 public:
  virtual ~HouseEventObserver() = default;

  // `house_key` names the house: the server's address and port.
  virtual void ConnectionStarted(const std::string& house_key) = 0;
  virtual void LogEntryReceived(const LogItemRecord& entry) = 0;
  virtual void SwitchReceived(const SwitchRecord& record) = 0;
  virtual void SensorReceived(const SensorRecord& record) = 0;
  virtual void MacroReceived(const MacroRecord& record) = 0;
  virtual void ModeReceived(const ModeRecord& record) = 0;
  virtual void SwitchStatusReceived(const StatusChangeRecord& record) = 0;
  virtual void SensorStatusReceived(const StatusChangeRecord& record) = 0;
  virtual void MacroStatusReceived(const MacroStatusRecord& record) = 0;
  virtual void ModeStatusReceived(const ModeStatusRecord& record) = 0;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HOUSE_EVENT_OBSERVER_H_
