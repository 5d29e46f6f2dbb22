#include "client/cmdfile/dlg_command_file_monitoring_layout.h"

#include "client/cmdfile/dlg_command_file_monitoring.h"

namespace hv {

namespace {

cDialogLayout MakeLayout() {
  cDialogLayout layout;
  layout.resource_id = kMonitorResourceId;
  layout.title = "Command File Monitoring";
  layout.width = 300;
  layout.height = 212;
  using K = cControlLayout;  // kind, id, caption, x, y, width, height[, styles]
  using E = eControlKind;
  layout.controls = {
      K{E::kCheckBox, kMonitorEnabled, "Enabled", 7, 8, 80, 10},
      K{E::kLabel, kMonitorTypeLabel, "Monitor Type:", 7, 26, 78, 8},
      K{E::kComboBox, kMonitorType, "", 88, 23, 140, 14},
      K{E::kLabel, kMonitorDirectoryLabel, "Monitored Directory:", 7, 44, 78, 8},
      K{E::kEdit, kMonitorDirectory, "", 88, 41, 205, 14},
      K{E::kLabel, kMonitorFileNameLabel, "File Name:", 7, 62, 78, 8},
      K{E::kEdit, kMonitorFileName, "", 88, 59, 205, 14},
      K{E::kLabel, kMonitorStartTimeLabel, "Monitor Start Time:", 7, 80, 78, 8},
      K{E::kEdit, kMonitorStartTime, "", 88, 77, 100, 14},
      K{E::kLabel, kMonitorIntervalLabel, "Monitor Interval:", 7, 98, 78, 8},
      K{E::kEdit, kMonitorInterval, "", 88, 95, 40, 14, kEditNumber},
      K{E::kComboBox, kMonitorIntervalUnit, "", 132, 95, 96, 14},
      K{E::kLabel, kMonitorActionLabel, "Action when done:", 7, 116, 78, 8},
      K{E::kComboBox, kMonitorAction, "", 88, 113, 140, 14},
      K{E::kLabel, kMonitorProcessedLabel, "Processed Directory:", 7, 134, 78, 8},
      K{E::kEdit, kMonitorProcessedDirectory, "", 88, 131, 205, 14},
      K{E::kCheckBox, kMonitorCreateResponse, "Create a response file", 7, 152, 100, 10},
      K{E::kCheckBox, kMonitorAppend, "Append", 112, 152, 60, 10},
      K{E::kLabel, kMonitorResponseLabel, "Response File Name:", 7, 170, 78, 8},
      K{E::kEdit, kMonitorResponseFileName, "", 88, 167, 205, 14},
      K{E::kDefaultButton, kResultOk, "OK", 184, 191, 52, 14},
      K{E::kPushButton, kResultCancel, "Cancel", 241, 191, 52, 14},
  };
  return layout;
}

}  // namespace

const cDialogLayout& CommandFileMonitoringLayout() {
  static const cDialogLayout layout = MakeLayout();
  return layout;
}

}  // namespace hv
