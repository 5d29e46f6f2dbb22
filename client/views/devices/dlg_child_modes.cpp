#include "client/views/devices/dlg_child_modes.h"

#include "client/views/devices/item_view_descriptions.h"
#include "core/status.h"

namespace hv {

CDlgChildModes::CDlgChildModes(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kModesViewDescription) {}

const char* CDlgChildModes::StateText(uint16_t state) {
  return state == kModeActive ? "Active" : "Inactive";
}

Status CDlgChildModes::AddMode(const ModeRecord& record) {
  const std::vector<swString> texts = {StateText(record.state), record.name, record.description};
  return AddRow(record.name, texts, -1, false);
}

Status CDlgChildModes::SetModeStatus(const ModeStatusRecord& record) {
  return ShowRowStatus(record.name, StateText(record.state), nullptr, record.state == kModeActive);
}

}  // namespace hv
