#include "client/views/history/history_picks.h"

namespace hv::history {

std::string FormatPicks(const std::vector<PickKey>& picks) {
  std::string text;
  for (const PickKey& pick : picks) {
    // A name with a line break cannot come back as one line: it is not kept.
    if (pick.name.find_first_of("\r\n") != std::string::npos) continue;
    text += std::to_string(static_cast<int32_t>(pick.kind)) + ":" + pick.name + "\n";
  }
  return text;
}

std::vector<PickKey> ParsePicks(const std::string& text) {
  std::vector<PickKey> picks;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t colon = line.find(':');
    if (colon != 1 || colon + 1 >= line.size()) continue;
    const int kind = line[0] - '0';
    if (kind < static_cast<int>(ItemKind::kSwitch) || kind > static_cast<int>(ItemKind::kMode)) {
      continue;
    }
    picks.push_back({static_cast<ItemKind>(kind), line.substr(colon + 1)});
  }
  return picks;
}

}  // namespace hv::history
