#include "client/views/dlg_child_modes.h"

#include "client/protocol/request_failures.h"
#include "client/ui/report_list.h"
#include "client/views/item_view_layouts.h"
#include "client/views/item_view_requests.h"
#include "core/status.h"

namespace {

const std::vector<cItemColumn> kColumns = {
    {"Status", 73}, {"Mode Name", 150}, {"Description", 150}};

constexpr uint16_t kModeActive = 1;

}  // namespace

CDlgChildModes::CDlgChildModes(int32_t placement, const cItemViewServices& services)
    : cItemListView(kViewModes, placement, services, kModeListId, "MainModeList", kColumns) {}

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

int32_t CDlgChildModes::SendGetItems(cItemViewRequests& requests) { return requests.GetModes(); }

// A checked (active) mode is made inactive; an unchecked one active.
int32_t CDlgChildModes::SendToggle(cItemViewRequests& requests, const swString& name,
                                   bool checked) {
  return requests.SetModeStatus(name, checked ? 0 : kModeActive);
}

const char* CDlgChildModes::GetItemsFailure() const { return failure::kGetModes; }

const char* CDlgChildModes::ToggleFailure() const { return failure::kSetModeStatus; }
