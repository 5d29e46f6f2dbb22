#include "client/cmdfile/dlg_command_file_monitoring.h"

#include <climits>
#include <initializer_list>
#include <utility>

#include "client/cmdfile/dlg_command_file_monitoring_layout.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/start_time_text.h"
#include "client/platform/clock.h"
#include "client/ui/command_routes.h"
#include "client/ui/number_field.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "core/status.h"

namespace hv {

const char* const kIntervalUnitNames[kIntervalUnitCount] = {"Thousanths of Seconds",
                                                            "Hundredths of Seconds",
                                                            "Tenths of Seconds",
                                                            "Seconds",
                                                            "Minutes",
                                                            "Hours",
                                                            "Days",
                                                            "Weeks",
                                                            "Months",
                                                            "Years"};

namespace {

constexpr const char* kStartTimeMessage =
    "Please enter the start time as year-month-day hours:minutes:seconds, "
    "for example 2024-01-15 09:30:00.";

constexpr uint32_t kWindowsNotification = 1;
constexpr uint32_t kMoveToProcessed = 1;

void FillList(cComboBox* list, const char* const* texts, int32_t count, uint32_t selected) {
  if (list == nullptr) return;
  list->DeleteAllEntries();
  for (int32_t i = 0; i < count; ++i) list->AddEntry(texts[i], static_cast<cItemValue>(i));
  // A value no entry stands for (from a damaged settings file) selects nothing, and is kept.
  list->Select(-1);
  for (int32_t i = 0; i < list->EntryCount(); ++i) {
    if (list->EntryValue(i) == selected) list->Select(i);
  }
}

// The chosen entry's value, or `unchanged` when none is chosen.
uint32_t ChosenValue(cWindow& window, int32_t id, uint32_t unchanged) {
  cComboBox* list = window.ComboBox(id);
  if (list == nullptr || list->Selection() < 0) return unchanged;
  return static_cast<uint32_t>(list->EntryValue(list->Selection()));
}

void EnableAll(cWindow& window, std::initializer_list<int32_t> ids, bool enable) {
  for (int32_t id : ids) {
    if (cControl* control = window.Control(id)) control->Enable(enable);
  }
}

}  // namespace

CDlgCommandFileMonitoring::CDlgCommandFileMonitoring(
    cToolkit& toolkit, const cClock& clock, cWindow* parent, cMonitorCommandFile& monitor,
    std::function<void(int32_t context_id)> show_help)
    : cModalDialog(&toolkit, parent),
      toolkit_(toolkit),
      clock_(clock),
      monitor_(monitor),
      show_help_(std::move(show_help)) {}

CDlgCommandFileMonitoring::~CDlgCommandFileMonitoring() = default;

const cDialogLayout& CDlgCommandFileMonitoring::Layout() const {
  return CommandFileMonitoringLayout();
}

void CDlgCommandFileMonitoring::OnInitDialog() {
  cWindow& window = *Window();
  static const char* const kTypes[] = {"Polling", "Windows Notification (Instant)"};
  static const char* const kActions[] = {"Delete", "Move to Processed Directory"};
  FillList(window.ComboBox(kMonitorType), kTypes, 2, monitor_.monitor_type);
  FillList(window.ComboBox(kMonitorAction), kActions, 2, monitor_.action_when_done);
  FillList(window.ComboBox(kMonitorIntervalUnit), kIntervalUnitNames, kIntervalUnitCount,
           monitor_.interval_unit);

  SetCheck(window, kMonitorEnabled, monitor_.enabled != 0);
  SetControlText(window, kMonitorDirectory, monitor_.monitored_directory.CStr());
  SetControlText(window, kMonitorFileName, monitor_.file_name.CStr());
  cLocalTime start = clock_.LocalTime();
  if (monitor_.start_time != 0 && !LocalTimeOfSeconds(monitor_.start_time, &start)) {
    start = clock_.LocalTime();
  }
  SetControlText(window, kMonitorStartTime, FormatStartTime(start).CStr());
  swString interval;
  interval.Format("%u", monitor_.interval);
  SetControlText(window, kMonitorInterval, interval.CStr());
  SetControlText(window, kMonitorProcessedDirectory, monitor_.processed_directory.CStr());
  SetCheck(window, kMonitorCreateResponse, monitor_.create_response_file != 0);
  SetCheck(window, kMonitorAppend, monitor_.append != 0);
  SetControlText(window, kMonitorResponseFileName, monitor_.response_file_name.CStr());
  ApplyEnablingRules();
}

void CDlgCommandFileMonitoring::ApplyEnablingRules() {
  cWindow& window = *Window();
  EnableAll(window, {kMonitorAppend, kMonitorResponseLabel, kMonitorResponseFileName},
            IsChecked(window, kMonitorCreateResponse));
  EnableAll(window, {kMonitorProcessedLabel, kMonitorProcessedDirectory},
            ChosenValue(window, kMonitorAction, monitor_.action_when_done) == kMoveToProcessed);
  // Only an explicit instant notification turns the timing off; polling, or a type no entry
  // stands for, leaves it editable.
  EnableAll(window,
            {kMonitorIntervalLabel, kMonitorInterval, kMonitorIntervalUnit, kMonitorStartTimeLabel,
             kMonitorStartTime},
            ChosenValue(window, kMonitorType, monitor_.monitor_type) != kWindowsNotification);
}

void CDlgCommandFileMonitoring::OnOk() {
  if (WriteFieldsBack()) Window()->EndDialog(kResultOk);
}

bool CDlgCommandFileMonitoring::WriteFieldsBack() {
  cWindow& window = *Window();
  cMessageBox& message_box = toolkit_.MessageBox();
  int32_t interval = 0;
  if (!ReadNumberField(window, kMonitorInterval, 0, INT32_MAX, message_box, &interval)) {
    return false;
  }
  cLocalTime start;
  uint32_t start_seconds = 0;
  if (!ParseStartTime(ControlText(window, kMonitorStartTime).CStr(), &start) ||
      !SecondsOfLocalTime(start, &start_seconds)) {
    message_box.Show(kStartTimeMessage, window.Title().CStr(), cMessageBoxIcon::kWarning,
                     cMessageBoxButtons::kOk, &window);
    if (cControl* control = window.Control(kMonitorStartTime)) control->SetFocus();
    return false;
  }

  monitor_.enabled = IsChecked(window, kMonitorEnabled) ? 1 : 0;
  monitor_.monitor_type = ChosenValue(window, kMonitorType, monitor_.monitor_type);
  monitor_.monitored_directory = ControlText(window, kMonitorDirectory);
  monitor_.file_name = ControlText(window, kMonitorFileName);
  monitor_.start_time = start_seconds;
  monitor_.interval = static_cast<uint32_t>(interval);
  monitor_.interval_unit = ChosenValue(window, kMonitorIntervalUnit, monitor_.interval_unit);
  monitor_.action_when_done = ChosenValue(window, kMonitorAction, monitor_.action_when_done);
  monitor_.processed_directory = ControlText(window, kMonitorProcessedDirectory);
  monitor_.create_response_file = IsChecked(window, kMonitorCreateResponse) ? 1 : 0;
  monitor_.append = IsChecked(window, kMonitorAppend) ? 1 : 0;
  monitor_.response_file_name = ControlText(window, kMonitorResponseFileName);
  return true;
}

void CDlgCommandFileMonitoring::OnCommand(int32_t id, eCommandEvent event) {
  using Self = CDlgCommandFileMonitoring;
  static constexpr cCommandRoute<Self> kRoutes[] = {
      {kMonitorCreateResponse, eCommandEvent::kClicked, &Self::ApplyEnablingRules},
      {kMonitorAction, eCommandEvent::kSelectionChanged, &Self::ApplyEnablingRules},
      {kMonitorType, eCommandEvent::kSelectionChanged, &Self::ApplyEnablingRules},
  };
  AnswerCommand(kRoutes, id, event);
}

void CDlgCommandFileMonitoring::OnHelp() {
  if (show_help_) show_help_(kMonitorHelpContext);
}

}  // namespace hv
