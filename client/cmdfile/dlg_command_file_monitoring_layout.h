// The layout of the "Command File Monitoring" dialog; its control ids are in
// dlg_command_file_monitoring.h.
#ifndef HV_CLIENT_CMDFILE_DLG_COMMAND_FILE_MONITORING_LAYOUT_H_
#define HV_CLIENT_CMDFILE_DLG_COMMAND_FILE_MONITORING_LAYOUT_H_

#include "client/ui/dialog_layout.h"

namespace hv {

const cDialogLayout& CommandFileMonitoringLayout();

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_DLG_COMMAND_FILE_MONITORING_LAYOUT_H_
