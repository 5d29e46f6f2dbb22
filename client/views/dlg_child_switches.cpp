#include "client/views/dlg_child_switches.h"

#include "client/protocol/request_failures.h"
#include "client/ui/report_list.h"
#include "client/views/format_trimmed_real.h"
#include "client/views/item_view_icons.h"
#include "client/views/item_view_layouts.h"
#include "client/views/item_view_requests.h"
#include "client/views/x10_function_name.h"
#include "core/status.h"

namespace {

const std::vector<cItemColumn> kColumns = {
    {"Status", 45}, {"Status Data", 75}, {"Switch Name", 150}, {"Description", 150}, {"Type", 94}};

// These IO kinds share the wall switch picture of X10 switches; the IO kinds beyond the card
// (0) and the module (1) that are not among them show the wired wall switch.
bool IsX10LikeIoKind(uint32_t io_kind) { return (io_kind >= 3 && io_kind <= 8) || io_kind == 10; }

}  // namespace

CDlgChildSwitches::CDlgChildSwitches(int32_t placement, const cItemViewServices& services)
    : cItemListView(kViewSwitches, placement, services, kSwitchListId, "MainSwitchList", kColumns) {
}

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
  const std::vector<swString> texts = {X10FunctionName(static_cast<int32_t>(record.status), 0),
                                       FormatTrimmedReal(record.value), record.name,
                                       record.description, TypeText(record.kind)};
  return AppendRow(record.name, texts, ImageIndex(record.kind, record.io_kind),
                   IsOn(record.status));
}

int32_t CDlgChildSwitches::SetSwitchStatus(const StatusChangeRecord& record) {
  return ShowRowStatus(record.name, X10FunctionName(static_cast<int32_t>(record.status), 0),
                       nullptr, IsOn(record.status));
}

int32_t CDlgChildSwitches::SendGetItems(cItemViewRequests& requests) {
  return requests.GetSwitches();
}

int32_t CDlgChildSwitches::SendToggle(cItemViewRequests& requests, const swString& name,
                                      bool checked) {
  return requests.SetSwitchStatus(name, checked ? 3 : 2);
}

const char* CDlgChildSwitches::GetItemsFailure() const { return failure::kGetSwitches; }

const char* CDlgChildSwitches::ToggleFailure() const { return failure::kSetSwitchStatus; }

std::vector<eItemViewIcon> CDlgChildSwitches::Icons() const {
  return {eItemViewIcon::kIoCard, eItemViewIcon::kIoModule, eItemViewIcon::kX10Switch,
          eItemViewIcon::kWiredSwitch, eItemViewIcon::kPaddleSwitch};
}

bool CDlgChildSwitches::FavouriteKind(eFavouriteKind* kind) const {
  *kind = eFavouriteKind::kSwitch;
  return true;
}
