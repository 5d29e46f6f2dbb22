#include "client/views/devices/dlg_child_switches.h"

#include "client/views/devices/device_rows.h"
#include "client/views/devices/item_view_descriptions.h"
#include "core/status.h"

namespace hv {

CDlgChildSwitches::CDlgChildSwitches(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kSwitchesViewDescription) {}

int32_t CDlgChildSwitches::ImageIndex(uint32_t type, uint32_t io_kind) {
  if (type == kSwitchTypeIoPaddle) return 4;
  return DeviceImageIndex(type, io_kind, {.own_io_kinds = 2, .x10 = 2, .wired = 3});
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

Status CDlgChildSwitches::AddSwitch(const SwitchRecord& record) {
  return AddRow(record.name, DeviceRowTexts(record, TypeText(record.kind)),
                ImageIndex(record.kind, record.io_kind), IsOn(record.status));
}

Status CDlgChildSwitches::SetSwitchStatus(const StatusChangeRecord& record) {
  return ShowRowStatus(record.name, DeviceStatusText(record.status), nullptr, IsOn(record.status));
}

}  // namespace hv
