#include "client/views/history/history_events.h"

namespace hv::history {

void MergeStatusEchoes(std::vector<StoredEvent>* events) {
  std::vector<StoredEvent>& all = *events;
  std::vector<bool> gone(all.size(), false);
  for (size_t entry = 0; entry < all.size(); ++entry) {
    if (all[entry].kind != ItemKind::kLogName) continue;
    // The status arrives just before or after its entry: look both ways while close in time.
    auto try_merge = [&](size_t other) {
      StoredEvent& status = all[other];
      if (gone[other] || status.kind == ItemKind::kLogName || status.name != all[entry].name ||
          status.code != all[entry].code) {
        return false;
      }
      all[entry].kind = status.kind;
      gone[other] = true;
      return true;
    };
    bool merged = false;
    for (size_t i = entry; i-- > 0 && !merged && all[i].at_ms - all[entry].at_ms <= kEchoMs;) {
      merged = try_merge(i);
    }
    for (size_t i = entry + 1;
         i < all.size() && !merged && all[entry].at_ms - all[i].at_ms <= kEchoMs; ++i) {
      merged = try_merge(i);
    }
  }
  size_t kept = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (gone[i]) continue;
    if (kept != i) all[kept] = std::move(all[i]);
    ++kept;
  }
  all.resize(kept);
}

}  // namespace hv::history
