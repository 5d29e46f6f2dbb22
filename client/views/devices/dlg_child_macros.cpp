#include "client/views/devices/dlg_child_macros.h"

#include "client/protocol/request_failures.h"
#include "client/ui/report_list.h"
#include "client/ui/window.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/item_view_requests.h"
#include "client/views/devices/macro_status_name.h"
#include "client/views/title_label.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr cItemColumn kColumns[] = {
    {"Status", 73},      {"Macro Name", 150},  {"Description", 150}, {"Startup", 47},
    {"Trigger Qty", 66}, {"Trigger When", 80}, {"Action Qty", 62},   {"Stop Sensor Qty", 93}};

swString Count(uint32_t count) {
  swString text;
  text.Format("%u", count);
  return text;
}

constexpr cItemViewDescription kDescription = {
    .kind = kViewMacros,
    .list_id = kMacroListId,
    .settings_name = "MainMacroList",
    .columns = kColumns,
    .send_get_items = [](cItemViewRequests& requests) { return requests.GetMacros(); },
    // A checked (running) macro is stopped, back to monitoring; any other is started.
    .send_toggle =
        [](cItemViewRequests& requests, const swString& name, bool checked) {
          return requests.SetMacroStatus(name, checked ? kMacroMonitoring : kMacroInProgress);
        },
    .get_items_failure = failure::kGetMacros,
    .toggle_failure = failure::kSetMacroStatus,
    .favourite = eFavouriteKind::kMacro,
};

}  // namespace

CDlgChildMacros::CDlgChildMacros(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kDescription) {}

int32_t CDlgChildMacros::LayoutChild(const cRect* rect) {
  const int32_t status = cItemListView::LayoutChild(rect);
  if (status < 0) return status;
  if (Window() == nullptr || !ListLayout().IsMeasured()) return hv::kOk;
  const cRect area = rect != nullptr ? *rect : Window()->ClientRect();
  const int32_t right = area.right - ListLayout().Margin();
  for (int32_t id : {kTitleLabelId, kMacroInfoLabelId}) {
    cControl* label = Window()->Control(id);
    if (label == nullptr) continue;
    cRect place = label->Rect();
    place.right = right > place.left ? right : place.left;
    label->Move(place, true);
  }
  return hv::kOk;
}

const char* CDlgChildMacros::TriggerWhenText(uint32_t trigger_when) {
  switch (trigger_when) {
    case 0: return "Any Active";
    case 1: return "All Active";
    default: return "?";
  }
}

int32_t CDlgChildMacros::AddMacro(const MacroRecord& record) {
  const int32_t gate = GateItem(record.name);
  if (gate != hv::kOk) return gate;
  const std::vector<swString> texts = {MacroStatusName(static_cast<int32_t>(record.status)),
                                       record.name,
                                       record.description,
                                       record.startup != 0 ? "Yes" : "No",
                                       Count(record.trigger_quantity),
                                       TriggerWhenText(record.trigger_when),
                                       Count(record.action_quantity),
                                       Count(record.stop_sensor_quantity)};
  return AppendRow(record.name, texts, -1, false);
}

int32_t CDlgChildMacros::SetMacroStatus(const MacroStatusRecord& record) {
  return ShowRowStatus(record.name, MacroStatusName(static_cast<int32_t>(record.status)), nullptr,
                       record.status == kMacroInProgress);
}

}  // namespace hv
