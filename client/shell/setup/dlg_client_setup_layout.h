// The layout of the "Setup" dialog (resource 175); its control ids are in dlg_client_setup.h.
#ifndef HV_CLIENT_SHELL_SETUP_DLG_CLIENT_SETUP_LAYOUT_H_
#define HV_CLIENT_SHELL_SETUP_DLG_CLIENT_SETUP_LAYOUT_H_

#include "client/ui/dialog_layout.h"

namespace hv {

const cDialogLayout& ClientSetupLayout();

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_DLG_CLIENT_SETUP_LAYOUT_H_
