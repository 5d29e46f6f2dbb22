// CDlgChildSwitches: the switches the server controls (X10, IO board and paddle switches),
// each with its state; clicking a row's check box asks the server to turn the switch on or
// off. Rows stay in the order the server lists them; the server's status answers keep them
// current.
#ifndef HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_SWITCHES_H_
#define HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_SWITCHES_H_

#include <cstdint>

#include "client/views/devices/device_rows.h"
#include "client/views/devices/item_list_view.h"

namespace hv {

// Switch types, as the server's Switch items give them.
enum : uint32_t {
  kSwitchTypeX10 = kDeviceTypeX10,
  kSwitchTypeIo = kDeviceTypeIo,
  kSwitchTypeIoPaddle = 3,
};

class CDlgChildSwitches : public cItemListView, public cSwitchesFeed {
 public:
  CDlgChildSwitches(int32_t placement, const cItemViewServices& services);

  // Empties the list and sends Get switches. Always ok.
  Status RequestSwitches() { return RequestItems(); }

  ViewFeeds Feeds() override { return {static_cast<cSwitchesFeed*>(this), this}; }

  // cSwitchesFeed
  // One Switch item: a new row at the end. Declined when the view takes no items now or the
  // item ends the list; kOutOfMemory when the list refuses the row; else ok.
  Status AddSwitch(const SwitchRecord& record) override;
  // Every row of that exact name shows the new status and is checked when the switch is on
  // (On or Dim). Declined when the view is not initialised; else ok.
  Status SetSwitchStatus(const StatusChangeRecord& record) override;

  // The row's picture: 0 IO card, 1 IO module, 2 X10 switch, 3 wired switch, 4 paddle.
  static int32_t ImageIndex(uint32_t type, uint32_t io_kind);
  static const char* TypeText(uint32_t type);
  // On (2) and Dim (4) count as on.
  static bool IsOn(uint32_t status);
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_SWITCHES_H_
