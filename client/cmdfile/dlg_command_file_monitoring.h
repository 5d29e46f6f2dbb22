// CDlgCommandFileMonitoring: the modal "Command File Monitoring" dialog that edits the
// command file monitor's settings. It works on a copy of the monitor that the caller writes
// back only when the dialog ends with OK, so a cancelled dialog leaves the monitor exactly
// as it was.
#ifndef HV_CLIENT_CMDFILE_DLG_COMMAND_FILE_MONITORING_H_
#define HV_CLIENT_CMDFILE_DLG_COMMAND_FILE_MONITORING_H_

#include <cstdint>
#include <functional>
#include <memory>

#include "client/ui/modal_dialog.h"

namespace hv {

class cClock;
class cMonitorCommandFile;
class cToolkit;

// Control ids of the dialog.
enum : int32_t {
  kMonitorResourceId = 190,
  kMonitorEnabled = 1901,
  kMonitorTypeLabel = 1902,
  kMonitorType = 1903,
  kMonitorDirectoryLabel = 1904,
  kMonitorDirectory = 1905,
  kMonitorFileNameLabel = 1906,
  kMonitorFileName = 1907,
  kMonitorStartTimeLabel = 1908,
  kMonitorStartTime = 1909,  // local date and time, "YYYY-MM-DD HH:MM:SS"
  kMonitorIntervalLabel = 1910,
  kMonitorInterval = 1911,
  kMonitorIntervalUnit = 1912,
  kMonitorActionLabel = 1913,
  kMonitorAction = 1914,
  kMonitorProcessedLabel = 1915,
  kMonitorProcessedDirectory = 1916,
  kMonitorCreateResponse = 1917,
  kMonitorAppend = 1918,
  kMonitorResponseLabel = 1919,
  kMonitorResponseFileName = 1920,
};
constexpr int32_t kMonitorHelpContext = 1060;

// The interval units in list order; a unit's value is its index.
constexpr int32_t kIntervalUnitCount = 10;
extern const char* const kIntervalUnitNames[kIntervalUnitCount];

class CDlgCommandFileMonitoring : public cModalDialog {
 public:
  // `monitor` is the copy to edit; it changes only when the dialog ends with OK. Everything
  // given must outlive the dialog. show_help may be empty.
  CDlgCommandFileMonitoring(cToolkit& toolkit, const cClock& clock, cWindow* parent,
                            cMonitorCommandFile& monitor,
                            std::function<void(int32_t context_id)> show_help);
  ~CDlgCommandFileMonitoring() override;
  CDlgCommandFileMonitoring(const CDlgCommandFileMonitoring&) = delete;
  CDlgCommandFileMonitoring& operator=(const CDlgCommandFileMonitoring&) = delete;

  // DoModal runs the dialog: kResultOk or kResultCancel, or hv::kNotFound when the window
  // cannot be made.

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnHelp() override;

 private:
  const cDialogLayout& Layout() const override;
  void OnInitDialog() override;
  void ApplyEnablingRules();
  // Reads the controls into the copy; false (after a message) when a value is refused.
  bool WriteFieldsBack();
  // Ends the dialog only when every value was taken.
  void OnOk() override;

  cToolkit& toolkit_;
  const cClock& clock_;
  cMonitorCommandFile& monitor_;
  std::function<void(int32_t)> show_help_;
};

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_DLG_COMMAND_FILE_MONITORING_H_
