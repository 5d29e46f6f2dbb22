// The rows the history keeps: a status sample of an item (a switch, sensor, macro or mode as
// the server reported it) and an activity entry, each stamped with the moment it arrived.
// Times are milliseconds since 1970-01-01 00:00 UTC.
#ifndef HV_CLIENT_HISTORY_HISTORY_RECORDS_H_
#define HV_CLIENT_HISTORY_HISTORY_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/protocol/item_kind.h"

namespace hv::history {

// "Switch", "Sensor", ... for people.
const char* ItemKindName(ItemKind kind);

// The status of the mark the store keeps where the client stopped receiving (it ended, lost
// the server, or was killed): from there to the item's next sample nothing is known, and the
// charts leave a gap instead of drawing the last state on. Never a status of the server's.
constexpr int32_t kNotReceiving = INT32_MIN;

// True when the status means the item is on, tripped, running or active: what its timeline
// draws as a filled lane and what the time-on totals add up.
bool IsOnStatus(ItemKind kind, int32_t status);

struct StatusSample {
  ItemKind kind = ItemKind::kSwitch;
  std::string name;
  int64_t at_ms = 0;
  int32_t status = 0;  // an X10 function or sensor code, a macro state, a mode state
  double value = 0.0;  // NaN: the server gave no value (stored as none)
};

// A sample that marks, in its place among the others, that the client stopped receiving
// (the connection was lost): every item's state is unknown from its moment on.
inline StatusSample EndOfReceiving(int64_t at_ms) {
  return {ItemKind::kSwitch, std::string(), at_ms, kNotReceiving, 0.0};
}
inline bool IsEndOfReceiving(const StatusSample& sample) {
  return sample.status == kNotReceiving && sample.name.empty();
}

struct LogRow {
  int64_t at_ms = 0;  // its arrival; the store places a server's entry at its date and time
  int32_t entry_type = 0;
  std::string name;
  std::string message;
  std::string path;
  int32_t function_code = 0;
  double value = 0.0;
  int32_t extra = 0;
  std::string date_text;  // as the server sent them; empty for entries the client made
  std::string time_text;
  int32_t detail1 = 0;
  int32_t detail2 = 0;
};

struct HistoryBatch {
  std::vector<StatusSample> samples;
  std::vector<LogRow> log;
  // The batch's rows came after a (re)connection: the server's log, sent again, is matched
  // afresh against what is kept.
  bool new_session = false;
  // The client was receiving up to this moment (0: not said): where a killed client's gap
  // begins at the next start.
  int64_t receiving_ms = 0;
  // The batch's rows came from the writer's queue file (its id) up to this offset: the store
  // keeps both with the rows, so a start after a crash replays only what it does not hold.
  int64_t queue_id = 0;
  int64_t queue_done = 0;
  bool empty() const { return samples.empty() && log.empty(); }
  size_t size() const { return samples.size() + log.size(); }
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_HISTORY_RECORDS_H_
