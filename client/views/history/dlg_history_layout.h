// The layout of the History window; its control ids are in dlg_history.h.
#ifndef HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_LAYOUT_H_
#define HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_LAYOUT_H_

#include "client/ui/dialog_layout.h"

namespace hv::history {

const cDialogLayout& HistoryLayout();

}  // namespace hv::history

#endif  // HV_CLIENT_VIEWS_HISTORY_DLG_HISTORY_LAYOUT_H_
