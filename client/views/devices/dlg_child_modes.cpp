#include "client/views/devices/dlg_child_modes.h"

#include "client/protocol/request_failures.h"
#include "client/ui/report_list.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr cItemColumn kColumns[] = {{"Status", 73}, {"Mode Name", 150}, {"Description", 150}};

constexpr uint16_t kModeActive = 1;

constexpr cItemViewDescription kDescription = {
    .kind = kViewModes,
    .list_id = kModeListId,
    .settings_name = "MainModeList",
    .columns = kColumns,
    .send_get_items = [](cItemViewRequests& requests) { return requests.GetModes(); },
    // A checked (active) mode is made inactive; an unchecked one active.
    .send_toggle =
        [](cItemViewRequests& requests, const swString& name, bool checked) {
          return requests.SetModeStatus(name, checked ? 0 : kModeActive);
        },
    .get_items_failure = failure::kGetModes,
    .toggle_failure = failure::kSetModeStatus,
};

}  // namespace

CDlgChildModes::CDlgChildModes(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kDescription) {}

const char* CDlgChildModes::StateText(uint16_t state) {
  return state == kModeActive ? "Active" : "Inactive";
}

int32_t CDlgChildModes::AddMode(const ModeRecord& record) {
  const int32_t gate = GateItem(record.name);
  if (gate != hv::kOk) return gate;
  const std::vector<swString> texts = {StateText(record.state), record.name, record.description};
  return AppendRow(record.name, texts, -1, false);
}

int32_t CDlgChildModes::SetModeStatus(const ModeStatusRecord& record) {
  return ShowRowStatus(record.name, StateText(record.state), nullptr, record.state == kModeActive);
}

}  // namespace hv
