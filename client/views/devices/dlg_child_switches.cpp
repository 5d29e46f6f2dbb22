#include "client/views/devices/dlg_child_switches.h"

#include "client/protocol/request_failures.h"
#include "client/views/devices/device_rows.h"
#include "client/views/devices/item_view_icons.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr cItemColumn kColumns[] = {
    {"Status", 45}, {"Status Data", 75}, {"Switch Name", 150}, {"Description", 150}, {"Type", 94}};

constexpr eItemViewIcon kIcons[] = {eItemViewIcon::kIoCard, eItemViewIcon::kIoModule,
                                    eItemViewIcon::kX10Switch, eItemViewIcon::kWiredSwitch,
                                    eItemViewIcon::kPaddleSwitch};

constexpr cItemViewDescription kDescription = {
    .kind = kViewSwitches,
    .list_id = kSwitchListId,
    .settings_name = "MainSwitchList",
    .columns = kColumns,
    .send_get_items = [](cItemViewRequests& requests) { return requests.GetSwitches(); },
    .send_toggle = [](cItemViewRequests& requests, const swString& name,
                      bool checked) { return requests.SetSwitchStatus(name, checked ? 3 : 2); },
    .get_items_failure = failure::kGetSwitches,
    .toggle_failure = failure::kSetSwitchStatus,
    .icons = kIcons,
    .favourite = eFavouriteKind::kSwitch,
};

}  // namespace

CDlgChildSwitches::CDlgChildSwitches(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kDescription) {}

int32_t CDlgChildSwitches::ImageIndex(uint32_t type, uint32_t io_kind) {
  switch (type) {
    case kSwitchTypeX10: return 2;
    case kSwitchTypeIo:
      if (io_kind == 0) return 0;
      if (io_kind == 1) return 1;
      return IsX10LikeIoKind(io_kind) ? 2 : 3;
    case kSwitchTypeIoPaddle: return 4;
    default: return 0;
  }
}

const char* CDlgChildSwitches::TypeText(uint32_t type) {
  switch (type) {
    case kSwitchTypeX10: return "X10 Switch";
    case kSwitchTypeIo: return "IO Switch";
    case kSwitchTypeIoPaddle: return "IO Paddle Switch";
    default: return "Undefined";
  }
}

bool CDlgChildSwitches::IsOn(uint32_t status) { return status == 2 || status == 4; }

int32_t CDlgChildSwitches::AddSwitch(const SwitchRecord& record) {
  const int32_t gate = GateItem(record.name);
  if (gate != hv::kOk) return gate;
  return AppendRow(record.name, DeviceRowTexts(record, TypeText(record.kind)),
                   ImageIndex(record.kind, record.io_kind), IsOn(record.status));
}

int32_t CDlgChildSwitches::SetSwitchStatus(const StatusChangeRecord& record) {
  return ShowRowStatus(record.name, DeviceStatusText(record.status), nullptr, IsOn(record.status));
}

}  // namespace hv
