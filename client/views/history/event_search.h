// EventSearch: the History table's search. A text finds a row that holds each of its words
// somewhere, in any of its cells ("front door opened" finds the door's row whose name is
// "Front Door" and whose message is "Opened"); a regular expression finds a row when one of
// its cells matches, or its cells read together, one space apart. Case is ignored, as in the
// activity log's search, whose matching it uses.
#ifndef HV_CLIENT_VIEWS_HISTORY_EVENT_SEARCH_H_
#define HV_CLIENT_VIEWS_HISTORY_EVENT_SEARCH_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/views/log/log_search.h"

namespace hv::history {

class EventSearch {
 public:
  // An empty pattern matches every row. Fails with kBadSearchPattern for a regular expression
  // that does not compile, its message saying for the user what is wrong; the search is then
  // as it was.
  [[nodiscard]] Status Set(const std::string& pattern, bool regular_expression);
  bool IsActive() const { return !searches_.empty(); }
  bool Matches(const std::vector<std::string>& cells) const;

 private:
  bool regular_expression_ = false;
  std::vector<std::unique_ptr<cLogSearch>> searches_;  // one per word, or the expression
  mutable std::string joined_;
};

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_EVENT_SEARCH_H_
