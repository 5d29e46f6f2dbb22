#include "client/views/history/event_search.h"

#include <algorithm>

namespace hv::history {

Status EventSearch::Set(const std::string& pattern, bool regular_expression) {
  std::vector<std::string> parts;
  if (regular_expression) {
    if (!pattern.empty()) parts.push_back(pattern);
  } else {
    for (size_t at = 0; at < pattern.size();) {
      const size_t start = pattern.find_first_not_of(" \t", at);
      if (start == std::string::npos) break;
      const size_t end = std::min(pattern.find_first_of(" \t", start), pattern.size());
      parts.push_back(pattern.substr(start, end - start));
      at = end;
    }
  }
  std::vector<std::unique_ptr<cLogSearch>> searches;
  for (const std::string& part : parts) {
    auto search = std::make_unique<cLogSearch>();
    if (const Status set = search->Set(swString(part.c_str()), regular_expression); !set.ok()) {
      // The search stays as it was.
      return Status(Where::kHistory, set.code(), set.message());
    }
    searches.push_back(std::move(search));
  }
  searches_ = std::move(searches);
  regular_expression_ = regular_expression;
  return Status::Ok();
}

bool EventSearch::Matches(const std::vector<std::string>& cells) const {
  if (searches_.empty()) return true;
  joined_.clear();
  for (const std::string& cell : cells) {
    if (!joined_.empty()) joined_ += ' ';
    joined_ += cell;
  }
  if (regular_expression_) {
    // One cell on its own too, so that anchors such as ^ keep meaning a cell's start.
    const cLogSearch& expression = *searches_.front();
    return expression.Matches(joined_) ||
           std::any_of(cells.begin(), cells.end(),
                       [&](const std::string& cell) { return expression.Matches(cell); });
  }
  // Words hold no space, so none is found across two cells' edge.
  return std::all_of(
      searches_.begin(), searches_.end(),
      [&](const std::unique_ptr<cLogSearch>& word) { return word->Matches(joined_); });
}

}  // namespace hv::history
