// The layout of the "Send X10 Code" dialog; its control ids are in dlg_adv_x10_send.h.
#ifndef HV_CLIENT_VIEWS_DIALOGS_DLG_ADV_X10_SEND_LAYOUT_H_
#define HV_CLIENT_VIEWS_DIALOGS_DLG_ADV_X10_SEND_LAYOUT_H_

#include "client/ui/dialog_layout.h"

namespace hv {

const cDialogLayout& AdvX10SendLayout();

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DIALOGS_DLG_ADV_X10_SEND_LAYOUT_H_
