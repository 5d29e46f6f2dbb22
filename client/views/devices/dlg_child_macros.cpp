#include "client/views/devices/dlg_child_macros.h"

#include "client/ui/report_list.h"
#include "client/ui/window.h"
#include "client/views/devices/item_view_descriptions.h"
#include "client/views/devices/item_view_layouts.h"
#include "client/views/devices/macro_status_name.h"
#include "client/views/title_label.h"
#include "core/status.h"

namespace hv {

namespace {

swString Count(uint32_t count) {
  swString text;
  text.Format("%u", count);
  return text;
}

}  // namespace

CDlgChildMacros::CDlgChildMacros(int32_t placement, const cItemViewServices& services)
    : cItemListView(placement, services, kMacrosViewDescription) {}

void CDlgChildMacros::LayoutChild(const cRect* rect) {
  cItemListView::LayoutChild(rect);
  if (Window() == nullptr || !ListLayout().IsMeasured()) return;
  const cRect area = rect != nullptr ? *rect : Window()->ClientRect();
  const int32_t right = area.right - ListLayout().Margin();
  for (int32_t id : {kTitleLabelId, kMacroInfoLabelId}) {
    cControl* label = Window()->Control(id);
    if (label == nullptr) continue;
    cRect place = label->Rect();
    place.right = right > place.left ? right : place.left;
    label->Move(place, true);
  }
}

const char* CDlgChildMacros::TriggerWhenText(uint32_t trigger_when) {
  switch (trigger_when) {
    case 0: return "Any Active";
    case 1: return "All Active";
    default: return "?";
  }
}

Status CDlgChildMacros::AddMacro(const MacroRecord& record) {
  const std::vector<swString> texts = {MacroStatusName(static_cast<int32_t>(record.status)),
                                       record.name,
                                       record.description,
                                       record.startup != 0 ? "Yes" : "No",
                                       Count(record.trigger_quantity),
                                       TriggerWhenText(record.trigger_when),
                                       Count(record.action_quantity),
                                       Count(record.stop_sensor_quantity)};
  return AddRow(record.name, texts, -1, false);
}

Status CDlgChildMacros::SetMacroStatus(const MacroStatusRecord& record) {
  return ShowRowStatus(record.name, MacroStatusName(static_cast<int32_t>(record.status)), nullptr,
                       record.status == kMacroInProgress);
}

}  // namespace hv
