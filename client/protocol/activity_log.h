// cActivityLog: where the protocol reports events and failures as activity entries. The
// application object realises it (its AddLogEntry stores and shows; the main window's
// ShowLogEntry only shows); tests use cRecordingActivityLog.
#ifndef HV_CLIENT_PROTOCOL_ACTIVITY_LOG_H_
#define HV_CLIENT_PROTOCOL_ACTIVITY_LOG_H_

#include <cstdint>

#include "client/protocol/log_item_record.h"
#include "core/status.h"

namespace hv {

class cActivityLog {
 public:
  virtual ~cActivityLog() = default;

  // Shows the entry in the activity log views without keeping it in the activity list.
  // Declined when turned away (re-entered, or no window to show it in), or a view's failure.
  [[nodiscard]] virtual Status ShowLogEntry(const LogItemRecord& entry) = 0;

  // Keeps the entry in the activity list when `store`, shows it when `show`.
  [[nodiscard]] virtual Status AddLogEntry(const LogItemRecord& entry, bool store, bool show) = 0;
};

// An activity entry is where a failure or an event is reported: when the entry itself cannot
// be shown (no window yet, another entry being shown, a view failing) there is nowhere better
// to say so, and the caller carries on as it would have anyway. These drop that status on
// purpose, so each caller does not have to explain it again.
inline void ShowLogEntryOrDrop(cActivityLog& log, const LogItemRecord& entry) {
  log.ShowLogEntry(entry).Ignore("an activity entry is itself the report; nowhere better to say");
}
inline void AddLogEntryOrDrop(cActivityLog& log, const LogItemRecord& entry, bool store,
                              bool show) {
  log.AddLogEntry(entry, store, show)
      .Ignore("an activity entry is itself the report; nowhere better to say");
}

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ACTIVITY_LOG_H_
