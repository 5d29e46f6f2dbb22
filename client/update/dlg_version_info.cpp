#include "client/update/dlg_version_info.h"

#include <cstdlib>
#include <string>

#include "client/platform/clock.h"
#include "client/platform/settings_writer.h"
#include "client/ui/dialog_layout.h"
#include "client/ui/layout_rows.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/update/update_codes.h"
#include "client/update/update_constants.h"
#include "core/profile/profile.h"

namespace hv {

namespace {

constexpr const char* kClickGetInfo =
    "Click \"Get Info\" to get information on the latest available version.";
constexpr const char* kReleaseText =
    "The release version may not have the latest fixes, but is generally the most stable.";
constexpr const char* kBetaText =
    "The beta version has more recent fixes than the release version, but may be more unstable.";
constexpr const char* kAlphaText =
    "The alpha version has the latest fixes, but may also have serious, newly introduced bugs.";
constexpr const char* kUpdateAvailable =
    "An updated version is available.  Click \"Update Now\" to download and install the "
    "latest version.";
constexpr const char* kUpToDate = "This version is up to date.";
// The first sentences of the two failure boxes; the advice after them names what can stand
// between this computer and the update site here.
constexpr const char* kGetVersionFailure = "Unable to get the version information.";
constexpr const char* kUpdateFailure = "Unable to update.";
constexpr const char* kNetworkAdvice =
    "  Check that this computer is connected to the network, that the proxy your network may "
    "need is set (the http_proxy, https_proxy and ftp_proxy variables), and that the update "
    "site's address, %s, is right.";
constexpr const char* kDownloadAdvice = "  You can also install Varnholt by downloading it from ";
constexpr const char* kAskUpdateAnyway =
    "The currently running version is up to date.  Do you want to update it anyway?";
constexpr const char* kEstimateFailed = "Unable to get the latest version (1).  Try again later.";
constexpr const char* kUpdateFailed = "Unable to get the latest version (2).  Try again later.";
constexpr const char* kGetInfoCancelled = "Getting the version information was cancelled.";
constexpr const char* kUpdateCancelled = "The update was cancelled.  Nothing was installed.";
constexpr const char* kOutOfDateAdvice =
    "  The release it offers is no longer current, so it is not installed: try again later, "
    "and if this stays so, tell the publisher of Varnholt.";
constexpr const char* kNoKeyNotice =
    "  This build cannot install updates: it has no publisher key to check them with.";
constexpr const char* kSystemPackageNotice =
    "  This copy was installed by the system's package manager: the update comes through the "
    "package manager.";
constexpr const char* kOlderAvailable =
    "This version is newer than the latest one available.  Nothing was installed.";
constexpr const char* kUpdateInstalled = "The latest version has been installed.";
constexpr const char* kRestarting =
    "The latest version has been downloaded.  Varnholt will now close and start again.";

cDialogLayout MakeLayout() {
  cDialogLayout layout{
      .resource_id = kVersionResourceId, .title = "Version Info", .width = 300, .height = 232};
  using K = cControlLayout;
  using E = eControlKind;
  cFormRows rows(
      layout, {.label_width = 66, .field_x = 76, .pitch = 16, .field_height = 12, .label_drop = 2});
  rows.Field("This Version:", EditField(kVersionThisVersion, 60, kEditReadOnly))
      .BesideLabel(kUnaddressed, "Build:", 144, 26)
      .BesideField(172, EditField(kVersionThisBuild, 50, kEditReadOnly));
  rows.Field("Last Update Date:", EditField(kVersionLastUpdateDate, 146, kEditReadOnly));
  layout.controls.insert(layout.controls.end(),
                         {K{E::kRadioButton, kVersionRelease, "Release", 7, 43, 50, 10},
                          K{E::kRadioButton, kVersionBeta, "Beta", 60, 43, 50, 10},
                          K{E::kRadioButton, kVersionAlpha, "Alpha", 113, 43, 50, 10},
                          K{E::kLabel, kVersionStatus, "", 7, 57, 286, 18, kLabelWordWrap}});
  rows.At(79)
      .Field("Latest Version:", EditField(kVersionLatestVersion, 60, kEditReadOnly))
      .BesideLabel(kUnaddressed, "Build:", 144, 26)
      .BesideField(172, EditField(kVersionLatestBuild, 50, kEditReadOnly));
  rows.Field("Date Available:", EditField(kVersionDateAvailable, 146, kEditReadOnly));
  layout.controls.insert(
      layout.controls.end(),
      {Label(kUnaddressed, "Latest Release Notes:", 7, 113, 100),
       K{E::kEdit, kVersionReleaseNotes, "", 7, 123, 286, 82, kEditReadOnly | kEditMultiLine}});
  AddButtonRow(layout, 7, 211, 55, 59,
               {{kVersionGetInfo, "&Get Info"}, {kVersionUpdateNow, "&Update Now"}});
  AddButtonRow(layout, 179, 211, 55, 59,
               {{kResultOk, "OK", eControlKind::kDefaultButton}, {kResultCancel, "Cancel"}});
  return layout;
}

const cDialogLayout& VersionInfoLayout() {
  static const cDialogLayout layout = MakeLayout();
  return layout;
}

swString NumberText(int32_t number) {
  swString text;
  text.Format("%d", number);
  return text;
}

}  // namespace

swString FormatUpdateDate(const cLocalTime& time) {
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  swString text;
  text.Format("%02d/%02d/%04d - %02d:%02d:%02d %s", time.month, time.day, time.year, hour12,
              time.minute, time.second, time.hour < 12 ? "AM" : "PM");
  return text;
}

CDlgVersionInfo::CDlgVersionInfo(const cVersionInfoServices& services, cWindow* parent)
    : cModalDialog(services.toolkit, parent),
      services_(services),
      updater_(cAutoUpdaterServices{services.toolkit, services.event_loop, services.site,
                                    services.start_process, services.clock, services.utc_now,
                                    services.limits, services.company, services.application,
                                    services.is_system_install, services.handed_over_pid}) {}

CDlgVersionInfo::~CDlgVersionInfo() { updater_.Close(); }

const cDialogLayout& CDlgVersionInfo::Layout() const { return VersionInfoLayout(); }

void CDlgVersionInfo::OnInitDialog() {
  cWindow& window = *Window();
  SetControlText(window, kVersionThisVersion, ThisVersionText());
  SetControlText(window, kVersionThisBuild, ThisBuildText());

  last_update_date_ = ReadSetting("Last Update Date");
  latest_version_ = ReadSetting("Latest Version");
  uint32_t build = 0;
  latest_build_known_ = ReadProfileNumber(services_.company, services_.application,
                                          kVersionInfoSection, "Latest Build", &build, 0)
                            .ok();
  latest_build_ = static_cast<int32_t>(build);
  latest_date_ = ReadSetting("Latest Date");
  ShowLatest();

  updater_.Init(services_.program_path.CStr(), false, "", true);
  SelectChannel(kChannelRelease);
  SetStatus(kClickGetInfo);
}

void CDlgVersionInfo::SelectChannel(int32_t channel) {
  channel_ = channel;
  cWindow& window = *Window();
  SetCheck(window, kVersionRelease, channel == kChannelRelease);
  SetCheck(window, kVersionBeta, channel == kChannelBeta);
  SetCheck(window, kVersionAlpha, channel == kChannelAlpha);
}

void CDlgVersionInfo::ShowLatest() {
  cWindow& window = *Window();
  SetControlText(window, kVersionLastUpdateDate, last_update_date_.CStr());
  SetControlText(window, kVersionLatestVersion, latest_version_.CStr());
  SetControlText(window, kVersionLatestBuild,
                 latest_build_known_ ? NumberText(latest_build_).CStr() : "");
  SetControlText(window, kVersionDateAvailable, latest_date_.CStr());
  SetControlText(window, kVersionReleaseNotes, release_notes_.CStr());
}

void CDlgVersionInfo::SetStatus(const char* text) {
  if (Window() != nullptr) SetControlText(*Window(), kVersionStatus, text);
}

// A value never stored reads as "", which is what its field then shows.
swString CDlgVersionInfo::ReadSetting(const char* name) const {
  char buffer[1024];
  ReadProfileString(services_.company, services_.application, kVersionInfoSection, name, "", buffer,
                    sizeof buffer)
      .Ignore("a value never stored shows as an empty field");
  return buffer;
}

// What is not kept is only shown again as it was before; the next Get Info writes it anew.
void CDlgVersionInfo::WriteSetting(const char* name, const char* text) {
  cSettingsWriter writer(services_.company, services_.application);
  writer.Text(kVersionInfoSection, name, text);
  writer.Finish().Ignore("shown again as before; the next Get Info writes it anew");
}

swString CDlgVersionInfo::FailureText(const char* first_sentence, bool with_download_page) const {
  swString advice;
  advice.Format(kNetworkAdvice, services_.site.web_address.CStr());
  swString text = swString(first_sentence) + advice;
  if (with_download_page) text.Append((swString(kDownloadAdvice) + kDownloadWebPage).CStr());
  return text;
}

void CDlgVersionInfo::ShowError(const char* text, const char* caption, const Status& status) {
  swString message;
  // A site that gave no answer at all is the common case on a machine that is offline, and
  // the long text below does not say it; one sentence first names the site that was tried.
  const std::string& reason = status.message();
  const std::string unreachable = "ERROR: Unable to open URL: ";
  const std::string suffix = " (GetFileFromWebsite)";
  if (reason.rfind(unreachable, 0) == 0) {
    std::string url = reason.substr(unreachable.size());
    if (url.size() >= suffix.size() &&
        url.compare(url.size() - suffix.size(), suffix.size(), suffix) == 0) {
      url.resize(url.size() - suffix.size());
    }
    message.Format(
        "The update site %s could not be reached: check that this computer "
        "is connected to the network.\n\n",
        url.c_str());
  }
  swString rest;
  rest.Format("%s (%08lx)", text, static_cast<unsigned long>(static_cast<uint32_t>(status.code())));
  message.Append(rest.CStr());
  services_.toolkit->MessageBox().Show(message.CStr(), caption, cMessageBoxIcon::kError,
                                       cMessageBoxButtons::kOk, Window());
}

// Answers in which the site was reached but what it offers was refused: the reason is what the
// user needs, not advice about the network.
bool CDlgVersionInfo::IsRefusal(const Status& status) {
  return IsUpdateCode(status, kNotAuthentic) || IsUpdateCode(status, kRollbackRefused) ||
         IsUpdateCode(status, kSiteExpired) || IsUpdateCode(status, kWrongPlatform);
}

bool CDlgVersionInfo::ThisBuildIsBelowLatest() const {
  return std::atoi(ThisBuildText()) < latest_build_;
}

void CDlgVersionInfo::OnCommand(int32_t id, eCommandEvent event) {
  if (event != eCommandEvent::kClicked) return;
  // A transfer pumps the window; its buttons must not start a second request meanwhile,
  // nor close the dialog under the running one. Cancel stops the request instead.
  if (busy_) {
    if (id == kResultCancel) updater_.Cancel();
    return;
  }
  if (AnswerOkCancel(id, event)) return;
  switch (id) {
    case kVersionRelease:
      SelectChannel(kChannelRelease);
      SetStatus(kReleaseText);
      break;
    case kVersionBeta:
      SelectChannel(kChannelBeta);
      SetStatus(kBetaText);
      break;
    case kVersionAlpha:
      SelectChannel(kChannelAlpha);
      SetStatus(kAlphaText);
      break;
    case kVersionGetInfo: OnGetInfo(); break;
    case kVersionUpdateNow: OnUpdateNow(); break;
    default: break;
  }
}

bool CDlgVersionInfo::FetchLatest(const char* failure, bool updating, const char* caption) {
  busy_ = true;
  const hv::Status status = updater_.GetVersionInfo(channel_, &latest_version_, &latest_build_,
                                                    &latest_date_, &release_notes_);
  busy_ = false;
  if (status.declined()) {
    SetStatus(kGetInfoCancelled);
    return false;
  }
  if (IsRefusal(status)) {
    swString text;
    text.Format("%s  %s.%s", failure, status.message().c_str(),
                IsUpdateCode(status, kSiteExpired) ? kOutOfDateAdvice : "");
    ShowError(text.CStr(), caption, status);
    return false;
  }
  if (!status.ok()) {
    ShowError(FailureText(failure, updating).CStr(), caption, status);
    return false;
  }
  latest_build_known_ = true;
  return true;
}

void CDlgVersionInfo::OnGetInfo() {
  if (!FetchLatest(kGetVersionFailure, false, "Get Version Error")) return;
  ShowAvailability();
  WriteSetting("Latest Version", latest_version_.CStr());
  const uint32_t build = static_cast<uint32_t>(latest_build_);
  {
    // As for WriteSetting: not kept, it is fetched again by the next Get Info.
    cSettingsWriter writer(services_.company, services_.application);
    writer.Number(kVersionInfoSection, "Latest Build", build);
    writer.Finish().Ignore("fetched again by the next Get Info");
  }
  WriteSetting("Latest Date", latest_date_.CStr());
  ShowLatest();
}

void CDlgVersionInfo::ShowAvailability() {
  swString text = ThisBuildIsBelowLatest() ? kUpdateAvailable : kUpToDate;
  switch (updater_.InstallBlock()) {
    case eInstallBlock::kNone: break;
    case eInstallBlock::kNoPublisherKey: text.Append(kNoKeyNotice); break;
    case eInstallBlock::kSystemPackage: text.Append(kSystemPackageNotice); break;
  }
  SetStatus(text.CStr());
}

void CDlgVersionInfo::OnUpdateNow() {
  if (!FetchLatest(kUpdateFailure, true, "Update Error")) return;
  ShowLatest();
  if (updater_.InstallBlock() != eInstallBlock::kNone) {
    // What is available is shown; installing it is not this program's to do.
    ShowAvailability();
    return;
  }
  const int32_t this_build = std::atoi(ThisBuildText());
  if (latest_build_ < this_build) {
    SetStatus(kOlderAvailable);
    return;
  }
  const bool reinstall = latest_build_ == this_build;
  if (reinstall && services_.toolkit->MessageBox().Show(
                       kAskUpdateAnyway, "Update Version", cMessageBoxIcon::kQuestion,
                       cMessageBoxButtons::kYesNo, Window()) != cMessageBoxAnswer::kYes) {
    return;
  }
  updater_.AllowReinstall(reinstall);
  RunUpdate();
  WriteSetting("Last Update Date", last_update_date_.CStr());
  ShowLatest();
  // The program must end so the helper can replace its file; the caller does that once
  // the dialog is gone.
  if (restart_started_) Window()->EndDialog(kResultOk);
}

void CDlgVersionInfo::RunUpdate() {
  busy_ = true;
  uint32_t estimate = 0;
  UpdateResult run = updater_.Update(Window(), false, channel_, false, true, &estimate);
  const bool estimated = run.status.ok();
  if (estimated) run = updater_.Update(Window(), false, channel_, false, false, &estimate);
  busy_ = false;
  const Status& status = run.status;
  if (status.declined()) {
    SetStatus(kUpdateCancelled);
  } else if (IsRefusal(status)) {
    swString text;
    text.Format("The update was refused: %s.  Nothing was installed.", status.message().c_str());
    SetStatus(text.CStr());
  } else if (estimated && IsUpdateCode(status, kDownloadFailed)) {
    swString text;
    text.Format("The update was stopped: %s.  Nothing was installed.", status.message().c_str());
    SetStatus(text.CStr());
  } else if (!status.ok()) {
    SetStatus(estimated ? kUpdateFailed : kEstimateFailed);
  } else {
    if (services_.clock != nullptr) {
      last_update_date_ = FormatUpdateDate(services_.clock->LocalTime());
    }
    restart_started_ = run.outcome == UpdateOutcome::kRestartStarted;
    SetStatus(restart_started_ ? kRestarting : kUpdateInstalled);
  }
}

}  // namespace hv
