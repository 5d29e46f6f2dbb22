// The History window's picks as the settings store keeps them across restarts: one line per
// item, "<kind number>:<name>", so an item is found again by what it is, not by the store's
// row id (which a new store after a corrupt one would not keep).
#ifndef HV_CLIENT_VIEWS_HISTORY_HISTORY_PICKS_H_
#define HV_CLIENT_VIEWS_HISTORY_HISTORY_PICKS_H_

#include <string>
#include <vector>

#include "client/history/history_records.h"

namespace hv::history {

struct PickKey {
  ItemKind kind = ItemKind::kSwitch;
  std::string name;
  bool operator==(const PickKey& other) const = default;
};

std::string FormatPicks(const std::vector<PickKey>& picks);
// Lines that are not a pick (an unknown kind, no colon, an empty name) are skipped.
std::vector<PickKey> ParsePicks(const std::string& text);

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_HISTORY_PICKS_H_
