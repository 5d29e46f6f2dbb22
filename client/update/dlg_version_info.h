// CDlgVersionInfo: the "Version Info" dialog. It shows this client's version and build and
// what the chosen release channel publishes ("&Get Info"), and installs the channel's
// latest build ("&Update Now"). It keeps the last answer and the time of the last update
// in the "Version Info" settings.
//
// Use: construct, DoModal(&result). When the update started the restart helper, RestartStarted()
// is true afterwards and the caller must end the program so the helper can swap the
// program file. While a request runs, the dialog keeps answering: "Cancel" stops the request
// at once (the dialog stays open and says so), its other buttons wait until it is done.
#ifndef HV_CLIENT_UPDATE_DLG_VERSION_INFO_H_
#define HV_CLIENT_UPDATE_DLG_VERSION_INFO_H_

#include <cstdint>
#include <memory>

#include "client/ui/modal_dialog.h"
#include "client/ui/window.h"
#include "client/update/auto_updater.h"
#include "core/string/sw_string.h"

namespace hv {

class cClock;
class cEventLoop;
class cToolkit;

// What the dialog works with; everything must outlive it.
struct cVersionInfoServices {
  cToolkit* toolkit = nullptr;
  cEventLoop* event_loop = nullptr;
  const cClock* clock = nullptr;
  const char* company = "Orvane LLC";  // registry words
  const char* application = "Varnholt";
  swString program_path;  // the running program file
  cUpdateSite site = BuiltInUpdateSite();
  cProcessStarter start_process;  // empty: the real process start
  // The time a release's expiry is measured against (empty: the system's), as in
  // cAutoUpdaterServices.
  std::function<int64_t()> utc_now;
  // As in cAutoUpdaterServices: the transfers' clock and limits, the package-manager test,
  // the process the restart helper waits for.
  cTransferLimits limits;
  std::function<bool(const std::string& program_path)> is_system_install;
  int32_t handed_over_pid = 0;
};

// Control ids of the dialog (resource 190).
enum : int32_t {
  kVersionResourceId = 190,
  kVersionGetInfo = 1410,
  kVersionUpdateNow = 1411,
  kVersionRelease = 1412,
  kVersionBeta = 1413,
  kVersionAlpha = 1414,
  kVersionThisVersion = 1415,
  kVersionThisBuild = 1416,
  kVersionLastUpdateDate = 1417,
  kVersionLatestVersion = 1418,
  kVersionLatestBuild = 1419,
  kVersionDateAvailable = 1420,
  kVersionReleaseNotes = 1421,
  kVersionStatus = 1422,
};

class CDlgVersionInfo : public cModalDialog {
 public:
  CDlgVersionInfo(const cVersionInfoServices& services, cWindow* parent);
  ~CDlgVersionInfo() override;
  CDlgVersionInfo(const CDlgVersionInfo&) = delete;
  CDlgVersionInfo& operator=(const CDlgVersionInfo&) = delete;

  bool RestartStarted() const { return restart_started_; }
  int32_t Channel() const { return channel_; }
  cAutoUpdater& Updater() { return updater_; }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;

 protected:
  const cDialogLayout& Layout() const override;
  void OnInitDialog() override;

 private:
  void SelectChannel(int32_t channel);
  void ShowLatest();
  void OnGetInfo();
  // Asks the site for the latest version; on a failure or a cancel it says so and returns
  // false. `failure` opens the error box; `updating` adds the download page to its advice.
  bool FetchLatest(const char* failure, bool updating, const char* caption);
  void OnUpdateNow();
  // Runs the estimate and the real run; the status line says how it ended.
  void RunUpdate();
  // The status line after a successful "Get Info".
  void ShowAvailability();
  void SetStatus(const char* text);
  // One text of the dialog's settings section, and the writing of one.
  swString ReadSetting(const char* name) const;
  void WriteSetting(const char* name, const char* text);
  // `status` gives the number shown and, when the site could not be reached, which site.
  void ShowError(const char* text, const char* caption, const Status& status);
  // A failure box's text: its first sentence, what to check, and where else to get the
  // program when `with_download_page`.
  swString FailureText(const char* first_sentence, bool with_download_page) const;
  bool ThisBuildIsBelowLatest() const;
  static bool IsRefusal(const Status& status);

  cVersionInfoServices services_;
  cAutoUpdater updater_;
  int32_t channel_ = kChannelRelease;
  bool busy_ = false;
  bool restart_started_ = false;
  swString last_update_date_;
  swString latest_version_;
  int32_t latest_build_ = 0;
  bool latest_build_known_ = false;
  swString latest_date_;
  swString release_notes_;
};

// "Last Update Date" as the dialog writes it: "%m/%d/%Y - %I:%M:%S %p".
swString FormatUpdateDate(const struct cLocalTime& time);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_DLG_VERSION_INFO_H_
