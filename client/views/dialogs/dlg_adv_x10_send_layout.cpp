#include "client/views/dialogs/dlg_adv_x10_send_layout.h"

#include "client/ui/layout_rows.h"
#include "client/views/dialogs/dlg_adv_x10_send.h"

namespace hv {

const cDialogLayout& AdvX10SendLayout() {
  static const cDialogLayout kLayout = [] {
    cDialogLayout layout{
        .resource_id = kX10SendResourceId, .title = "Send X10 Code", .width = 270, .height = 84};
    cFormRows rows(layout, {.label_x = 7, .label_width = 58, .field_x = 68, .top = 7});
    rows.Field("Port:", ComboField(kX10SendHouse, 36))
        .BesideLabel(kUnaddressed, "Bit:", 114, 18)
        .BesideField(134, ComboField(kX10SendUnit, 66));
    rows.Field("Function:", ComboField(kX10SendFunction, 132));
    rows.Field(kX10SendDimLabel, "Bright/Dim %:", EditField(kX10SendDim, 30, kEditNumber));
    rows.Field("Switching Type:", ComboField(kX10SendSwitchingType, 132));
    AddButtonColumn(layout, 208, 7,
                    {{kX10SendSend, "&Send"},
                     {kResultOk, "OK", eControlKind::kDefaultButton},
                     {kResultCancel, "Cancel"}});
    return layout;
  }();
  return kLayout;
}

}  // namespace hv
