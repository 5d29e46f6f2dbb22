#include "client/update/auto_updater.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

#include "client/platform/event_loop.h"
#include "client/platform/settings_writer.h"
#include "client/ui/toolkit.h"
#include "client/update/dlg_progress.h"
#include "client/update/file_time.h"
#include "client/update/package_owner.h"
#include "client/update/update_codes.h"
#include "client/update/update_signature.h"
#include "client/update/version_file.h"
#include "core/file/whole_file.h"
#include "core/profile/profile.h"
#include "core/profile/user_folders.h"
#include "core/string/path_name.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

// Each item adds this to the size estimate, for the requests around the file itself.
constexpr uint32_t kEstimateBytesPerItem = 50;
constexpr uint32_t kFirstFileSize = 50000;
// The key list and the signature files are a few lines each.
constexpr uint64_t kMaxProofFile = 64 * 1024;

constexpr const char* kLockFileName = "lock.dat";
constexpr const char* kBlackListFileName = "BlackList.dat";
constexpr const char* kLockNotice =
    "Updates are not available right now because a new release is being published.  "
    "Please try again later.";
constexpr const char* kLockCaption = "Auto Update";
constexpr const char* kRefusalCaption = "Update Error";
constexpr const char* kKeyListSerialName = "Key List Serial";

hv::Status ReadSmallFile(const std::string& path, std::string* content) {
  const hv::Status read = hv::ReadWholeFile(path.c_str(), kMaxSmallFile, content);
  if (read.ok()) return read;
  return hv::Status(hv::Where::kUpdate, hv::kCannotOpenFile, read.message());
}

// A failure of the engine with `code`, told in words made from `format`.
template <typename... Arguments>
Status Failure(int32_t code, const char* format, Arguments... arguments) {
  swString text;
  text.Format(format, arguments...);
  return UpdateFailure(code, text.CStr());
}

swString HexCodeText(const char* format, int32_t status) {
  swString text;
  text.Format(format, static_cast<unsigned long>(static_cast<uint32_t>(status)));
  return text;
}

const char* ChannelWord(int32_t channel) {
  switch (channel) {
    case kChannelRelease: return "release";
    case kChannelBeta: return "beta";
    case kChannelAlpha: return "alpha";
    default: return "";
  }
}

std::string NewestPublishedName(int32_t channel) {
  return std::string("Newest Published ") + ChannelWord(channel);
}

bool IsProofFile(const std::string& path) {
  return path == kVersionFileName || path == kVersionSignatureName || path == kKeyListName ||
         path == kKeyListSignatureName;
}

}  // namespace

const char* ControlFileName(int32_t channel) {
  switch (channel) {
    case kChannelRelease: return "releasefiles.php";
    case kChannelBeta: return "betafiles.php";
    case kChannelAlpha: return "alphafiles.php";
    default: return nullptr;
  }
}

cAutoUpdater::cAutoUpdater(cAutoUpdaterServices services)
    : services_(std::move(services)), fetcher_(services_.site, [this] { return Watch(); }) {
  download_folder_ = services_.site.download_folder;
  if (download_folder_.GetLength() == 0) {
    download_folder_ = (DataHome() + "/Varnholt/Updates").c_str();
  }
  if (!services_.start_process) services_.start_process = StartDetachedProcess;
  if (!services_.is_system_install) {
    services_.is_system_install = [](const std::string& path) { return IsPackageManaged(path); };
  }
  if (!services_.utc_now) services_.utc_now = [] { return static_cast<int64_t>(time(nullptr)); };
}

cAutoUpdater::~cAutoUpdater() {
  progress_.reset();
  Close();
}

void cAutoUpdater::Init(const char* program_path, bool backup_wanted, const char* backup_source,
                        bool main_program_only) {
  program_path_ = program_path != nullptr ? program_path : "";
  const std::string path = program_path_.CStr();
  const size_t slash = path.rfind('/');
  program_directory_ =
      slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash).c_str();
  init_.backup_wanted = backup_wanted;
  init_.backup_source = backup_source != nullptr ? backup_source : "";
  init_.main_program_only = main_program_only;
}

bool cAutoUpdater::ChannelLoaded(int32_t channel) const {
  return channel >= 1 && channel <= 3 && channel_loaded_[channel];
}

eInstallBlock cAutoUpdater::InstallBlock() const {
  if (services_.site.roots.keys.empty()) return eInstallBlock::kNoPublisherKey;
  if (services_.is_system_install(program_path_.CStr())) return eInstallBlock::kSystemPackage;
  return eInstallBlock::kNone;
}

cTransferWatch cAutoUpdater::Watch() {
  cTransferWatch watch;
  // Pumps the window and feeds the progress dialog; false stops the transfer.
  watch.progress = [this](uint64_t bytes) {
    if (!no_progress_window_ && services_.event_loop != nullptr) services_.event_loop->Pump(0);
    if (progress_ != nullptr) {
      progress_->SetPosition(bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes));
      progress_->UpdateLabel(estimate_only_);
      if (progress_->IsCancelled()) cancel_requested_ = true;
    }
    return !cancel_requested_;
  };
  watch.clock = services_.clock;
  watch.limits = services_.limits;
  return watch;
}

hv::Status cAutoUpdater::GetFileFromWebsite(const char* url, const char* local_path,
                                            const char* agent, bool use_proxy,
                                            const char* proxy_name) {
  return fetcher_.GetFileFromWebsite(url, local_path, agent, use_proxy, proxy_name);
}

hv::Status cAutoUpdater::GetControlFile(int32_t channel, const char* site_address,
                                        const char* local_directory) {
  const char* name = ControlFileName(channel);
  if (name == nullptr) {
    fetcher_.Items().FreeAll();
    return UpdateFailure(kMissingArgument,
                         HexCodeText("Failed to get the file name (%lx)", kMissingArgument).CStr());
  }
  const hv::Status status = fetcher_.GetControlFile(name, site_address, local_directory);
  if (status.ok()) channel_loaded_[channel] = true;
  return status;
}

hv::Status cAutoUpdater::ReadControlFile(const char* path) {
  return fetcher_.ReadControlFile(path);
}

hv::Status cAutoUpdater::ReadVersionFile(const char* path, swString* version, int32_t* build,
                                         swString* date, swString* notes) {
  std::string content;
  if (path == nullptr) return hv::UpdateStatus(hv::kCannotOpenFile);
  if (hv::Status read = ReadSmallFile(path, &content); !read.ok()) return read;
  cVersionInfo info;
  ParseVersionFile(content, &info);
  if (version != nullptr) *version = info.version;
  if (build != nullptr) *build = info.build;
  if (date != nullptr) *date = info.date;
  if (notes != nullptr) *notes = info.notes;
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::Connect() { return fetcher_.Connect(); }

void cAutoUpdater::Close() { fetcher_.Close(); }

hv::Status cAutoUpdater::CheckLock() {
  bool locked = false;
  const hv::Status status = fetcher_.CheckRemoteFlag(kLockFileName, &locked);
  if (!status.ok()) return status;
  if (!locked) return hv::Status::Ok();
  if (!no_progress_window_) ShowMessage(kLockNotice, kLockCaption);
  return hv::UpdateStatus(hv::kUpdatesLocked);
}

hv::Status cAutoUpdater::CheckBlackList() {
  bool listed = false;
  const hv::Status status = fetcher_.CheckRemoteFlag(kBlackListFileName, &listed);
  if (!status.ok()) return status;
  return hv::UpdateStatus(listed ? hv::kUpdatesLocked : hv::kOk);
}

void cAutoUpdater::ShowMessage(const char* text, const char* caption) {
  if (services_.toolkit == nullptr) return;
  services_.toolkit->MessageBox().Show(text, caption, cMessageBoxIcon::kWarning,
                                       cMessageBoxButtons::kOk, nullptr);
}

hv::Status cAutoUpdater::FetchChecked(const std::string& remote_name, const std::string& local_path,
                                      uint64_t limit, const cManifestEntry* entry,
                                      swString* remote_name_out) {
  if (remote_name_out != nullptr) *remote_name_out = remote_name.c_str();
  if (progress_ != nullptr) {
    progress_->SetFileSize(static_cast<uint32_t>(std::min<uint64_t>(limit, UINT32_MAX)));
    progress_->SetPosition(0);
    progress_->SetFileName(remote_name.c_str());
    progress_->UpdateLabel(estimate_only_);
  }
  // Inside the program folder no folder is followed through a link.
  if (!MakeParentFolders(local_path, program_directory_.CStr())) {
    return Failure(kCannotOpenFile, "Cannot make the folder for %s", local_path.c_str());
  }
  // The file lands under a temporary name and takes its real one only once it is proven.
  const std::string fetched_path = local_path + ".download";
  const Status status = fetcher_.FetchFile(remote_name, fetched_path, limit);
  if (!status.ok()) {
    unlink(fetched_path.c_str());
    if (!status.message().empty() && remote_name_out != nullptr) {
      *remote_name_out = (remote_name + " (" + status.message() + ")").c_str();
    }
    if (IsUpdateCode(status, kFileTooLarge)) {
      return Failure(kFileTooLarge, "The file %s is larger than the update lists it",
                     remote_name.c_str());
    }
    // A stop by the user or the deadline says so; anything else is a failed download.
    if (status.declined() || IsUpdateCode(status, kTimedOut) ||
        IsUpdateCode(status, kUnknownDownloadType) || IsUpdateCode(status, kCannotOpenSession)) {
      return status;
    }
    if (!status.message().empty()) return UpdateFailure(kDownloadFailed, status.message());
    return Failure(kDownloadFailed, "The file %s could not be downloaded", remote_name.c_str());
  }
  if (progress_ != nullptr) progress_->SetPosition(static_cast<uint32_t>(limit));
  if (entry != nullptr) {
    struct stat info {};
    if (stat(fetched_path.c_str(), &info) != 0 ||
        static_cast<uint64_t>(info.st_size) != entry->size ||
        FileSha256(fetched_path.c_str()) != entry->sha256) {
      unlink(fetched_path.c_str());
      return Failure(kNotAuthentic, "The file %s is not the one the publisher released",
                     remote_name.c_str());
    }
  }
  if (rename(fetched_path.c_str(), local_path.c_str()) != 0) {
    unlink(fetched_path.c_str());
    return Failure(kCannotOpenFile, "The file %s cannot be written", local_path.c_str());
  }
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::DownloadItem(int32_t /*channel*/, const cDownloadItem& item,
                                      bool skip_current, const char* local_directory,
                                      swString* local_path_out, swString* remote_name_out) {
  const std::string path = item.CStr();
  if (!IsSafeItemPath(path)) {
    return Failure(kDownloadFailed, "The update lists a file outside its folder: %s", path.c_str());
  }
  const std::string folder = local_directory != nullptr && *local_directory != '\0'
                                 ? local_directory
                                 : program_directory_.CStr();
  const std::string local_path = JoinPosixPath(folder, path);
  if (local_path_out != nullptr) *local_path_out = local_path.c_str();
  if (IsProofFile(path)) {
    return FetchChecked(RemoteNameOf(path), local_path,
                        path == kVersionFileName ? kMaxSmallFile : kMaxProofFile, nullptr,
                        remote_name_out);
  }
  // Only what the proven version file lists is ever asked of the site, and no more of it
  // than the size it lists.
  if (!trusted_ || trusted_->info.files.count(path) == 0) {
    return Failure(kNotAuthentic, "The file %s is not part of the release the publisher signed",
                   path.c_str());
  }
  if (skip_current) {
    struct stat info {};
    if (stat(local_path.c_str(), &info) == 0 &&
        info.st_mtim.tv_sec >= FileTimeToTimespec(item.file_time_high, item.file_time_low).tv_sec) {
      return hv::UpdateStatus(hv::kDeclined);
    }
  }
  const cManifestEntry& listed = trusted_->info.files.at(path);
  hv::Status status =
      FetchChecked(RemoteNameOf(path), local_path, listed.size, &listed, remote_name_out);
  if (status.ok()) {
    status = SetFileTimes(local_path.c_str(), item.file_time_high, item.file_time_low);
  }
  return status;
}

hv::Status cAutoUpdater::ProveRelease(int32_t channel, std::string version) {
  cReleaseProof proof;
  proof.version = std::move(version);
  struct cProofPart {
    const char* name;
    std::string* content;
  };
  const cProofPart parts[] = {{kVersionSignatureName, &proof.version_signature},
                              {kKeyListName, &proof.key_list},
                              {kKeyListSignatureName, &proof.key_list_signature}};
  for (const cProofPart& part : parts) {
    const std::string local = JoinPosixPath(download_folder_.CStr(), part.name);
    hv::Status status = FetchChecked(part.name, local, kMaxProofFile, nullptr, nullptr);
    if (IsUpdateCode(status, kDownloadFailed)) {
      return Failure(kNotAuthentic, "The update site publishes no %s to prove its release with",
                     part.name);
    }
    if (status.ok()) status = ReadSmallFile(local, part.content);
    if (!status.ok()) return status;
  }
  cTrustMemory memory;
  ReadProfileNumber(services_.company, services_.application, kVersionInfoSection,
                    kKeyListSerialName, &memory.key_list_serial, 0)
      .Ignore("never stored: any key list is new");
  ReadProfileNumber(services_.company, services_.application, kVersionInfoSection,
                    NewestPublishedName(channel).c_str(), &memory.newest_published, 0)
      .Ignore("never stored: any publication is new");
  const cTrustMemory before = memory;
  cTrustedRelease release;
  const Status status = CheckRelease(proof, services_.site.roots, ChannelWord(channel),
                                     ThisPlatform(), services_.utc_now(), &memory, &release);
  if (memory.key_list_serial != before.key_list_serial ||
      memory.newest_published != before.newest_published) {
    cSettingsWriter writer(services_.company, services_.application);
    writer.Number(kVersionInfoSection, kKeyListSerialName, memory.key_list_serial);
    writer.Number(kVersionInfoSection, NewestPublishedName(channel).c_str(),
                  memory.newest_published);
    writer.Finish().Ignore("not kept means only that a later check compares with older values");
  }
  if (!status.ok()) return status;
  latest_ = release.info;
  trusted_ = std::move(release);
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::FetchVersionFile(int32_t channel, std::string* content) {
  trusted_.reset();
  hv::Status status =
      GetControlFile(channel, services_.site.web_address.CStr(), download_folder_.CStr());
  if (!status.ok()) return status;
  fetcher_.TakeConnectionSettings();
  if (fetcher_.Header().download_type == 2) {
    status = Connect();
    if (!status.ok()) return status;
  }
  const cDownloadItem* version_item = fetcher_.Items().Find(kVersionFileName);
  if (version_item == nullptr) return hv::UpdateStatus(hv::kNotFound);
  swString version_path;
  status =
      DownloadItem(channel, *version_item, false, download_folder_.CStr(), &version_path, nullptr);
  if (status.ok()) status = ReadSmallFile(version_path.CStr(), content);
  if (!status.ok()) return status;
  if (services_.site.roots.keys.empty()) {
    // Without a key nothing can be proven: the file is shown for what it says, and no run
    // installs from it.
    cVersionInfo info;
    ParseVersionFile(*content, &info);
    latest_ = info;
    return hv::Status::Ok();
  }
  status = ProveRelease(channel, *content);
  if (!status.ok()) unlink(version_path.CStr());
  return status;
}

hv::Status cAutoUpdater::GetVersionInfo(int32_t channel, swString* latest_version,
                                        int32_t* latest_build, swString* latest_date,
                                        swString* release_notes) {
  std::optional<cWaitCursor> wait;
  if (services_.toolkit != nullptr) wait.emplace(*services_.toolkit);
  cancel_requested_ = false;
  shown_version_.clear();
  std::string content;
  const hv::Status status = FetchVersionFile(channel, &content);
  if (!status.ok()) return status;
  shown_version_ = std::move(content);
  if (latest_version != nullptr) *latest_version = latest_.version;
  if (latest_build != nullptr) *latest_build = latest_.build;
  if (latest_date != nullptr) *latest_date = latest_.date;
  if (release_notes != nullptr) *release_notes = latest_.notes;
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::EnsureControlFile(int32_t channel) {
  if (ChannelLoaded(channel)) return hv::Status::Ok();
  const hv::Status status =
      GetControlFile(channel, services_.site.web_address.CStr(), download_folder_.CStr());
  if (status.ok()) fetcher_.TakeConnectionSettings();
  return status;
}

cInstallOptions cAutoUpdater::InstallOptions(bool skip_current) {
  cInstallOptions options;
  options.program_path = program_path_.CStr();
  options.program_folder = program_directory_.CStr();
  options.main_program_only = init_.main_program_only;
  options.backup_wanted = init_.backup_wanted;
  options.backup_source = init_.backup_source.CStr();
  options.skip_current = skip_current;
  options.platform = ThisPlatform();
  options.listed_time = [this](const std::string& path, uint32_t* high, uint32_t* low) {
    const cDownloadItem* item = fetcher_.Items().Find(path.c_str());
    if (item == nullptr) return false;
    *high = item->file_time_high;
    *low = item->file_time_low;
    return true;
  };
  return options;
}

// Before a release is proven the control file's sizes are all there is; after, the signed
// ones of the files the run would fetch.
uint32_t cAutoUpdater::EstimateBytes(bool skip_current) {
  uint64_t total = 0;
  uint64_t count = 0;
  if (trusted_) {
    const cReleaseInstaller installer(InstallOptions(skip_current));
    for (const cStagedFile& file : installer.Choose(trusted_->info.files, "")) {
      total += file.entry.size;
      ++count;
    }
  } else {
    fetcher_.Items().ForEach([&](cDownloadItem& item) {
      total += item.size;
      ++count;
    });
  }
  total += count * kEstimateBytesPerItem;
  return total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
}

hv::Status cAutoUpdater::CheckInstallBlock() {
  switch (InstallBlock()) {
    case eInstallBlock::kNone: return Status::Ok();
    case eInstallBlock::kNoPublisherKey:
      return UpdateFailure(kCannotInstall, "This build has no key to check updates with");
    case eInstallBlock::kSystemPackage:
      return UpdateFailure(kCannotInstall,
                           "The system's package manager installs updates of this program");
  }
  return UpdateStatus(kCannotInstall);
}

// The release a run installs is the one the user was shown, fetched again and compared byte
// for byte, and it must be newer than the running build (or the same, when the user chose
// to reinstall it).
hv::Status cAutoUpdater::ConfirmRelease(int32_t channel, bool skip_current) {
  std::string content;
  hv::Status status = FetchVersionFile(channel, &content);
  if (!status.ok()) return status;
  if (!shown_version_.empty() && content != shown_version_) {
    return UpdateFailure(kRollbackRefused,
                         "The update site now offers another release than the one shown");
  }
  const int32_t this_build = std::atoi(ThisBuildText());
  if (skip_current && this_build >= latest_.build) return hv::UpdateStatus(hv::kDeclined);
  if (latest_.build < this_build || (latest_.build == this_build && !reinstall_allowed_)) {
    return Failure(kRollbackRefused,
                   "The update site offers build %d, which is not newer than this one",
                   latest_.build);
  }
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::OpenProgress(cWindow* parent, uint32_t estimate) {
  progress_.reset();
  if (no_progress_window_) return hv::Status::Ok();
  progress_ = std::make_unique<CDlgProgress>();
  if (services_.toolkit == nullptr || !progress_->Create(*services_.toolkit, parent).ok()) {
    progress_.reset();
    return hv::UpdateStatus(hv::kNoProgressDialog);
  }
  progress_->SetFileSize(kFirstFileSize);
  progress_->SetTotalSize(estimate);
  return hv::Status::Ok();
}

// Every wanted file comes down into the staging folder and is proven there; only when all
// of them are, anything is put in place.
UpdateResult cAutoUpdater::RunInstall(bool skip_current) {
  const std::string program_folder = program_directory_.CStr();
  const std::string staging = MakeStagingFolder(program_folder);
  if (staging.empty()) {
    ShowMessage("Unable to update: the program folder cannot be written to.", kRefusalCaption);
    return {
        Failure(kCannotOpenFile, "Cannot write to the program folder %s", program_folder.c_str())};
  }
  const cReleaseInstaller installer(InstallOptions(skip_current));
  const std::vector<cStagedFile> files = installer.Choose(trusted_->info.files, staging);
  std::string failed;
  UpdateResult result;
  result.status = installer.StageAll(
      files,
      [this](const cStagedFile& file) {
        const Status fetched =
            FetchChecked(file.remote_name, file.staged_path, file.entry.size, &file.entry, nullptr);
        // More bytes than signed is a file the publisher did not release either.
        return IsUpdateCode(fetched, kFileTooLarge)
                   ? UpdateFailure(kNotAuthentic, fetched.message())
                   : fetched;
      },
      &failed);
  if (cancel_requested_) result.status = UpdateStatus(kDeclined);
  bool has_program = false;
  for (const cStagedFile& file : files) has_program = has_program || file.is_program;
  // The copies the user asked for are kept before anything is replaced, or nothing is.
  if (result.status.ok()) {
    result.status = installer.BackUp(files);
    if (!result.status.ok() && !no_progress_window_) {
      swString text;
      text.Format(
          "The update was stopped because the backup copies could not be made (%s).  "
          "Nothing was installed.",
          result.status.message().c_str());
      ShowMessage(text.CStr(), kRefusalCaption);
    }
  }
  if (result.status.ok() && has_program) {
    const int32_t pid =
        services_.handed_over_pid != 0 ? services_.handed_over_pid : static_cast<int32_t>(getpid());
    result.status = installer.HandOff(files, staging, services_.start_process, pid);
    if (result.status.ok()) result.outcome = UpdateOutcome::kRestartStarted;
  } else if (result.status.ok()) {
    if (installer.PlaceDataFiles(files)) {
      result.outcome = UpdateOutcome::kInstalled;
    } else {
      result.status =
          UpdateFailure(kCannotOpenFile, "The new files cannot be put into the program's folder");
    }
  }
  // The helper takes over the staging folder and removes it when it is done.
  if (result.outcome != UpdateOutcome::kRestartStarted) {
    std::error_code ignored;
    fs::remove_all(staging, ignored);
  }
  progress_.reset();
  if (result.status.failed() && !failed.empty() && !no_progress_window_) {
    // A file the site does not serve is not a forgery: the box says which it was.
    const bool refused = IsUpdateCode(result.status, kNotAuthentic);
    swString text;
    text.Format("The update was stopped because the file \"%s\" %s (%s).  Nothing was installed.",
                failed.c_str(),
                refused ? "did not come down as the publisher released it"
                        : "could not be downloaded from the update site",
                result.status.message().c_str());
    ShowMessage(text.CStr(), kRefusalCaption);
  }
  return result;
}

UpdateResult cAutoUpdater::Update(cWindow* parent, bool skip_current, int32_t channel,
                                  bool no_progress_window, bool estimate_only, uint32_t* estimate) {
  std::optional<cWaitCursor> wait;
  if (services_.toolkit != nullptr) wait.emplace(*services_.toolkit);
  no_progress_window_ = no_progress_window;
  estimate_only_ = estimate_only;
  cancel_requested_ = false;

  Status status = EnsureControlFile(channel);
  if (!status.ok()) return {status};
  if (estimate_only || estimate == nullptr || *estimate == 0) {
    const uint32_t made = EstimateBytes(skip_current);
    if (estimate != nullptr) *estimate = made;
    if (estimate_only) return {Status::Ok()};
  }
  status = CheckInstallBlock();
  if (status.ok()) status = ConfirmRelease(channel, skip_current);
  if (status.declined() && !cancel_requested_) {
    return {Status::Ok()};  // skip_current: current
  }
  if (status.ok()) status = CheckLock();
  if (status.ok()) status = CheckBlackList();
  if (status.ok()) status = OpenProgress(parent, estimate != nullptr ? *estimate : 0);
  if (!status.ok()) return {status};
  return RunInstall(skip_current);
}

}  // namespace hv
