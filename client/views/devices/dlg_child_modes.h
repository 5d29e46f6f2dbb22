// CDlgChildModes: the server's modes (Home, Away, ...); clicking a row's check box makes the
// mode active, or inactive when it is checked. Rows are listed unchecked, and the box follows
// the mode's state from its first status change on.
#ifndef HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_MODES_H_
#define HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_MODES_H_

#include <cstdint>

#include "client/views/devices/item_list_view.h"

namespace hv {

// A mode's state when it is active; any other is inactive.
constexpr uint16_t kModeActive = 1;

class CDlgChildModes : public cItemListView, public cModesFeed {
 public:
  CDlgChildModes(int32_t placement, const cItemViewServices& services);

  // Empties the list and sends Get modes. Always ok.
  Status RequestModes() { return RequestItems(); }

  ViewFeeds Feeds() override { return {static_cast<cModesFeed*>(this), this}; }

  // cModesFeed
  // One Mode item: a new unchecked row at the end. Declined when the view takes no items now
  // or the item ends the list; kOutOfMemory when the list refuses the row; else ok.
  Status AddMode(const ModeRecord& record) override;
  // Every row of that exact name shows the new state, checked exactly when it is 1
  // (active). Declined when the view is not initialised; else ok.
  Status SetModeStatus(const ModeStatusRecord& record) override;

  // "Active" for state 1, else "Inactive".
  static const char* StateText(uint16_t state);
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_MODES_H_
