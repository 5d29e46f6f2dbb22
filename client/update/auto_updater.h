// cAutoUpdater: the update engine of one version dialog. It reads a release channel's
// control file and version file from the update web site, and runs a download: it checks
// the FTP site's lock, fetches the channel's files, and when a new program file came down
// starts the restart helper to swap everything in after the client quits.
//
// It is three pieces: cUpdateFetcher reaches the site, CheckRelease (release_trust.h)
// decides what may be believed, cReleaseInstaller brings the files in. The control file only
// says where to fetch; what a run fetches and installs is the signed version file's list
// (path, size, SHA-256, platform), proven through the key list that the root keys built into
// this client sign. A run installs nothing unless every file it wants came down whole and
// matched; a release that has expired, is older than one already accepted, or is for another
// channel or computer is refused, each with its reason in the status's message.
//
// Everything runs on the caller's thread. While a transfer waits, the event loop is pumped
// (unless the run has no progress window), so the caller's windows keep working and may
// call back in: the caller must not start a second run or destroy the engine meanwhile.
#ifndef HV_CLIENT_UPDATE_AUTO_UPDATER_H_
#define HV_CLIENT_UPDATE_AUTO_UPDATER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "client/update/control_file.h"
#include "client/update/download_item.h"
#include "client/update/program_folder.h"
#include "client/update/release_installer.h"
#include "client/update/release_trust.h"
#include "client/update/restart_launch.h"
#include "client/update/transfer.h"
#include "client/update/update_constants.h"
#include "client/update/update_fetcher.h"
#include "core/string/sw_string.h"

namespace hv {

class CDlgProgress;
class cClock;
class cEventLoop;
class cToolkit;
class cWindow;

enum : int32_t { kChannelRelease = 1, kChannelBeta = 2, kChannelAlpha = 3 };

// What the engine works with; pointers must outlive it.
struct cAutoUpdaterServices {
  cToolkit* toolkit = nullptr;       // progress dialog, message boxes, wait cursor (may be null)
  cEventLoop* event_loop = nullptr;  // pumped during transfers (may be null)
  cUpdateSite site = BuiltInUpdateSite();
  // Starts the restart helper; empty for StartDetachedProcess.
  cProcessStarter start_process;
  // Times the transfers' deadlines (null: the system's clock).
  const cClock* clock = nullptr;
  // The time a release's expiry is measured against, seconds since 1970 UTC (empty: the
  // system's).
  std::function<int64_t()> utc_now;
  cTransferLimits limits;
  // Where the newest accepted publication time of each channel is kept (registry words).
  const char* company = "Orvane LLC";
  const char* application = "Varnholt";
  // Whether the program file belongs to the system's package manager; empty for
  // hv::IsPackageManaged.
  std::function<bool(const std::string& program_path)> is_system_install;
  // The process the restart helper waits for before it swaps the file (0: this one).
  int32_t handed_over_pid = 0;
};

// What a download run left behind it, beside its status.
enum class UpdateOutcome : uint8_t {
  kNothingInstalled,  // it failed, was stopped, only estimated, or the client is current
  kInstalled,         // new data files are in place; the client goes on as it is
  kRestartStarted,    // the restart helper swaps the files in: the caller must end the client
};

// How a download run went (ok, declined when stopped, or failed with nothing installed) and
// what it left.
struct [[nodiscard]] UpdateResult {
  Status status;
  UpdateOutcome outcome = UpdateOutcome::kNothingInstalled;
};

// Why this client cannot install the updates it can see.
enum class eInstallBlock {
  kNone,
  kNoPublisherKey,  // the build has no key to check releases with
  kSystemPackage,   // the system's package manager owns the program file
};

class cAutoUpdater {
 public:
  explicit cAutoUpdater(cAutoUpdaterServices services);
  ~cAutoUpdater();
  cAutoUpdater(const cAutoUpdater&) = delete;
  cAutoUpdater& operator=(const cAutoUpdater&) = delete;

  // Stores the running program's path (and its folder) and the run options.
  void Init(const char* program_path, bool backup_wanted, const char* backup_source,
            bool main_program_only);

  // Fetches the channel's control file from site_address into local_directory and reads it.
  hv::Status GetControlFile(int32_t channel, const char* site_address, const char* local_directory);
  // The latest version, build, date and notes of the channel, from its proven version file.
  hv::Status GetVersionInfo(int32_t channel, swString* latest_version, int32_t* latest_build,
                            swString* latest_date, swString* release_notes);
  // One URL into a local file (see FetchWebFile). error_text may be null.
  hv::Status GetFileFromWebsite(const char* url, const char* local_path, const char* agent,
                                bool use_proxy, const char* proxy_name, swString* error_text);
  hv::Status ReadControlFile(const char* path);
  // Reads a version file as it stands, without checking its signature.
  hv::Status ReadVersionFile(const char* path, swString* version, int32_t* build, swString* date,
                             swString* notes);

  // Opens the FTP connection when it is not open. Ok, or kCannotOpenSession.
  hv::Status Connect();
  void Close();
  hv::Status CheckLock();
  hv::Status CheckBlackList();
  // Fetches one item of the proven release into local_directory (the program folder when
  // empty) plus its path. Ok when fetched, declined when skipped (skip_current, local copy
  // current), or a failure: kNotAuthentic (not in the proven list, or not what it lists; the
  // file is deleted, and an unlisted one is never requested), kDownloadFailed,
  // kUnknownDownloadType, kFileTooLarge. local_path and remote_name may be null.
  hv::Status DownloadItem(int32_t channel, const cDownloadItem& item, bool skip_current,
                          const char* local_directory, swString* local_path, swString* remote_name);
  // The download run. estimate in: the expected bytes (0 to work them out); out: the
  // estimate made. Its status is ok (the outcome says whether the caller must quit for the
  // restart helper), declined if cancelled, or a failure, after which nothing was installed
  // (kRollbackRefused: not a newer build, or not the release last shown by GetVersionInfo;
  // kCannotInstall: see InstallBlock).
  UpdateResult Update(cWindow* parent, bool skip_current, int32_t channel, bool no_progress_window,
                      bool estimate_only, uint32_t* estimate);

  // Lets the next runs install a build equal to the running one (the user chose to).
  void AllowReinstall(bool allow) { reinstall_allowed_ = allow; }
  // Stops the request or run under way as soon as it looks again (at once, while it waits
  // on the network); it is then declined. A later request starts afresh.
  void Cancel() { cancel_requested_ = true; }
  eInstallBlock InstallBlock() const;

  // What tests and the dialog read back.
  cDownloadItemList& Items() { return fetcher_.Items(); }
  const cControlFileHeader& Header() const { return fetcher_.Header(); }
  const swString& FtpPassword() const { return fetcher_.FtpPassword(); }
  const swString& ProgramPath() const { return program_path_; }
  const swString& ProgramDirectory() const { return program_directory_; }
  bool ChannelLoaded(int32_t channel) const;
  const swString& DownloadFolder() const { return download_folder_; }
  // The progress window while a run shows one, else null.
  CDlgProgress* Progress() const { return progress_.get(); }

 private:
  cTransferWatch Watch();
  // Fetches the channel's version file and what proves it; *content gets its bytes. The
  // latest version fields take its values.
  hv::Status FetchVersionFile(int32_t channel, std::string* content);
  // Fetches the signatures and the key list beside the version file, and proves them all.
  hv::Status ProveRelease(int32_t channel, std::string version);
  // Fetches `remote_name` into `local_path` through a temporary name, at most `limit` bytes;
  // with `entry`, it must then be that file (size and SHA-256) or it is deleted.
  hv::Status FetchChecked(const std::string& remote_name, const std::string& local_path,
                          uint64_t limit, const cManifestEntry* entry, swString* remote_name_out);
  void ShowMessage(const char* text, const char* caption);
  cInstallOptions InstallOptions(bool skip_current);

  // The steps of Update.
  hv::Status EnsureControlFile(int32_t channel);
  uint32_t EstimateBytes(bool skip_current);
  hv::Status CheckInstallBlock();
  hv::Status ConfirmRelease(int32_t channel, bool skip_current);
  hv::Status OpenProgress(cWindow* parent, uint32_t estimate);
  UpdateResult RunInstall(bool skip_current);

  cAutoUpdaterServices services_;
  cUpdateFetcher fetcher_;
  bool channel_loaded_[4] = {false, false, false, false};
  swString program_directory_;
  swString program_path_;
  // The options Init was given.
  struct cInitOptions {
    bool backup_wanted = true;
    swString backup_source;
    bool main_program_only = false;
  } init_;
  // What the last version file read says (proven, when the build has root keys).
  cVersionInfo latest_;
  std::unique_ptr<CDlgProgress> progress_;
  bool no_progress_window_ = false;
  bool estimate_only_ = false;
  swString download_folder_;

  // The last release whose proof held, and the version file GetVersionInfo last showed:
  // what a run may install.
  std::optional<cTrustedRelease> trusted_;
  std::string shown_version_;
  bool reinstall_allowed_ = false;
  bool cancel_requested_ = false;
};

// The control file name of a channel, or null for an unknown one.
const char* ControlFileName(int32_t channel);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_AUTO_UPDATER_H_
