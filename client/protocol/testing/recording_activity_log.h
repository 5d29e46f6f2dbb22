// cRecordingActivityLog: a cActivityLog for tests that keeps every entry it is given, with
// whether it was to be stored and shown.
#ifndef HV_CLIENT_PROTOCOL_TESTING_RECORDING_ACTIVITY_LOG_H_
#define HV_CLIENT_PROTOCOL_TESTING_RECORDING_ACTIVITY_LOG_H_

#include <vector>

#include "client/protocol/activity_log.h"

namespace hv {

class cRecordingActivityLog : public cActivityLog {
 public:
  struct Entry {
    LogItemRecord record;
    bool stored;
    bool shown;
  };

  hv::Status ShowLogEntry(const LogItemRecord& entry) override {
    entries.push_back(Entry{entry, false, true});
    return hv::Status::Ok();
  }
  hv::Status AddLogEntry(const LogItemRecord& entry, bool store, bool show) override {
    entries.push_back(Entry{entry, store, show});
    return hv::Status::Ok();
  }

  std::vector<Entry> entries;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_TESTING_RECORDING_ACTIVITY_LOG_H_
