// What the History table shows of the events a range holds.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_EVENTS_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_EVENTS_H_

#include <vector>

#include "client/history/history_store.h"

namespace hv::history {

// A change of an item comes twice: as its new status and as the server's activity entry that
// tells of it ("Sensor changed", "Set"). They are one event to people: the entry stays, with
// the item's kind, and the status beside it goes. The two match by name and state, arrived
// within kEchoMs of each other. `events` is newest first, as the store gives them.
constexpr int64_t kEchoMs = 2000;
void MergeStatusEchoes(std::vector<StoredEvent>* events);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_EVENTS_H_
