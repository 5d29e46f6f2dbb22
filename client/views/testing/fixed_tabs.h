// The main window's tabs as tests name them: a fixed tab by the kind of view it shows, a video
// tab by its source's number, never by where a tab happens to stand or by its raw code.
#ifndef HV_CLIENT_VIEWS_TESTING_FIXED_TABS_H_
#define HV_CLIENT_VIEWS_TESTING_FIXED_TABS_H_

#include <cstdint>

#include "client/ui/tab_control.h"
#include "client/views/view_kind.h"

namespace hv {

namespace test {

// How many fixed tabs the window has; every tab after them is a video source's.
constexpr int32_t FixedTabCount() {
  int32_t count = 0;
  for (const ViewKindRow& row : kViewKindRows) {
    if (row.tab_code != kNoFixedTab) ++count;
  }
  return count;
}

// The tab code (as "Current Tab View" stores it) of the video source numbered `number`.
constexpr int32_t VideoTabCode(uint32_t number) {
  return kFirstVideoTabCode + static_cast<int32_t>(number);
}

// The index of the tab showing `kind`'s fixed view, found by its code; -1 when it is not there.
inline int32_t TabIndexOfKind(const cTabControl& tabs, ViewKind kind) {
  const int32_t code = RowOfKind(kind).tab_code;
  for (int32_t index = 0; code != kNoFixedTab && index < tabs.TabCount(); ++index) {
    if (tabs.TabValue(index) == static_cast<cItemValue>(code)) return index;
  }
  return -1;
}

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TESTING_FIXED_TABS_H_
