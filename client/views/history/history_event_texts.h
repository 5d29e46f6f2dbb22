// What the History table writes in its cells for an event: the time, kind, name, state, value
// and message, as the rest of the program writes them (dates as 12/31/2026, times with AM and
// PM, numbers with a decimal point), the same under every locale.
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_EVENT_TEXTS_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_EVENT_TEXTS_H_

#include <map>
#include <string>
#include <vector>

#include "client/history/history_store.h"

namespace hv::history {

constexpr size_t kEventColumnCount = 6;
extern const char* const kEventColumns[kEventColumnCount];

// The house's items by name, for the kind of an activity entry that names one.
using ItemKinds = std::map<std::string, ItemKind>;
ItemKinds KindsByName(const std::vector<StoredItem>& items);

// "21.5", "-3", "1e+20": the shortest text that reads back as the same number, with a point
// whatever the locale.
std::string ValueText(double value);

// The state of a status as the views name it ("On", "Door/Window Open (Min)", "Active").
std::string StateName(ItemKind kind, int32_t code);

// The cells of an event's row. An activity entry that names an item of the house has the
// item's kind ("Log" only for entries of nothing in the house: a lost connection); the value
// is left empty where the item has none (a switch that is only on or off, a macro, a mode).
std::vector<std::string> EventTexts(const StoredEvent& event, const ItemKinds& kinds);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_EVENT_TEXTS_H_
