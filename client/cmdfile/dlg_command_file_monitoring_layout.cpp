#include "client/cmdfile/dlg_command_file_monitoring_layout.h"

#include "client/cmdfile/dlg_command_file_monitoring.h"
#include "client/ui/layout_rows.h"

namespace hv {

const cDialogLayout& CommandFileMonitoringLayout() {
  static const cDialogLayout kLayout = [] {
    cDialogLayout layout{.resource_id = kMonitorResourceId,
                         .title = "Command File Monitoring",
                         .width = 300,
                         .height = 212};
    layout.controls.push_back(Check(kMonitorEnabled, "Enabled", 7, 8, 80));
    cFormRows rows(layout, {.label_x = 7, .label_width = 78, .field_x = 88, .top = 23});
    rows.Field(kMonitorTypeLabel, "Monitor Type:", ComboField(kMonitorType, 140));
    rows.Field(kMonitorDirectoryLabel, "Monitored Directory:", EditField(kMonitorDirectory, 205));
    rows.Field(kMonitorFileNameLabel, "File Name:", EditField(kMonitorFileName, 205));
    rows.Field(kMonitorStartTimeLabel, "Monitor Start Time:", EditField(kMonitorStartTime, 100));
    rows.Field(kMonitorIntervalLabel,
               "Monitor Interval:", EditField(kMonitorInterval, 40, kEditNumber))
        .BesideField(132, ComboField(kMonitorIntervalUnit, 96));
    rows.Field(kMonitorActionLabel, "Action when done:", ComboField(kMonitorAction, 140));
    rows.Field(kMonitorProcessedLabel,
               "Processed Directory:", EditField(kMonitorProcessedDirectory, 205));
    layout.controls.push_back(Check(kMonitorCreateResponse, "Create a response file", 7, 152, 100));
    layout.controls.push_back(Check(kMonitorAppend, "Append", 112, 152, 60));
    rows.At(167).Field(kMonitorResponseLabel,
                       "Response File Name:", EditField(kMonitorResponseFileName, 205));
    AddButtonRow(layout, 184, 191, 52, 57,
                 {{kResultOk, "OK", eControlKind::kDefaultButton}, {kResultCancel, "Cancel"}});
    return layout;
  }();
  return kLayout;
}

}  // namespace hv
