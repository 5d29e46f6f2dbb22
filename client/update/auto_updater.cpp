#include "client/update/auto_updater.h"

#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "client/platform/event_loop.h"
#include "client/platform/settings_writer.h"
#include "client/ui/toolkit.h"
#include "client/update/dlg_progress.h"
#include "client/update/file_time.h"
#include "client/update/update_codes.h"
#include "client/update/update_signature.h"
#include "client/update/version_file.h"
#include "core/file/whole_file.h"
#include "core/profile/profile.h"
#include "core/profile/user_folders.h"
#include "core/string/path_name.h"

namespace hv {

namespace fs = std::filesystem;
using hv::JoinPosixPath;
using hv::PosixFileName;

namespace {

// Control and version files are small; anything larger is not one.
constexpr uint64_t kMaxSmallFile = 16ull * 1024 * 1024;
// Each item adds this to the size estimate, for the requests around the file itself.
constexpr uint32_t kEstimateBytesPerItem = 50;
constexpr uint32_t kFirstFileSize = 50000;

constexpr const char* kLockFileName = "lock.dat";
constexpr const char* kBlackListFileName = "BlackList.dat";
constexpr const char* kLockNotice =
    "Updates are not available right now because a new release is being published.  "
    "Please try again later.";
constexpr const char* kLockCaption = "Auto Update";
constexpr const char* kRefusalCaption = "Update Error";

// A control, version or signature file, read whole; when it cannot be read, kCannotOpenFile
// with the reason the system gave, so the log says more than "cannot open".
hv::Status ReadSmallFile(const char* path, std::string* content) {
  if (path == nullptr) return hv::UpdateStatus(hv::kCannotOpenFile);
  const hv::Status read = hv::ReadWholeFile(path, kMaxSmallFile, content);
  if (read.ok()) return read;
  return hv::Status(hv::Where::kUpdate, hv::kCannotOpenFile, read.message());
}

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// The site decides item paths, so they are only ever taken as relative paths below the
// folder they are meant for: no absolute paths, no "..", no empty or "." parts.
bool IsSafeItemPath(const std::string& path) {
  return path.find('\\') == std::string::npos && hv::IsPlainRelativePath(path);
}

// The item's name on the site: "ex_" stands for "exe".
std::string RemoteNameOf(const std::string& path) {
  std::string base;
  std::string extension;
  hv::SplitPosixFileName(path, &base, &extension);
  return EqualsNoCase(extension, "ex_") ? hv::WithPosixExtension(path, "exe") : path;
}

bool ContainsSystem32(const std::string& path) {
  return strcasestr(path.c_str(), "SYSTEM32") != nullptr;
}

std::string EscapeForUrl(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) != 0 || std::strchr("-._~/", c) != nullptr) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    }
  }
  return out;
}

swString HexCodeText(const char* format, int32_t status) {
  swString text;
  text.Format(format, static_cast<unsigned long>(static_cast<uint32_t>(status)));
  return text;
}

bool IsLocalCopyCurrent(const std::string& local_path, const cDownloadItem& item) {
  struct stat info {};
  const timespec listed = FileTimeToTimespec(item.file_time_high, item.file_time_low);
  return stat(local_path.c_str(), &info) == 0 && info.st_mtim.tv_sec >= listed.tv_sec;
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

}  // namespace

struct cAutoUpdater::cStagedFile {
  std::string staged_path;
  std::string final_path;
  std::string sha256_hex;  // as the signed version file gives it
  bool is_program = false;
};

// What the download pass of a run brought into its staging folder.
struct cAutoUpdater::cRunFiles {
  std::vector<cStagedFile> staged;
  std::string new_program_file;  // the program's staged "ex_" path, when it came down
  std::string refused_name;      // the file that failed its proof
};

const char* ControlFileName(int32_t channel) {
  switch (channel) {
    case kChannelRelease: return "releasefiles.php";
    case kChannelBeta: return "betafiles.php";
    case kChannelAlpha: return "alphafiles.php";
    default: return nullptr;
  }
}

cAutoUpdater::cAutoUpdater(cAutoUpdaterServices services) : services_(std::move(services)) {
  const cUpdateSite& site = services_.site;
  header_.main_source_path = site.web_address;
  header_.ftp_site = site.ftp_host;
  header_.ftp_main_dir = site.ftp_directory;
  header_.ftp_port = site.ftp_port;
  header_.ftp_user = site.ftp_user;
  header_.ftp_password_index = site.ftp_password_index;
  ftp_directory_ = site.ftp_directory;
  ftp_host_ = site.ftp_host;
  ftp_port_ = site.ftp_port;
  ftp_user_ = site.ftp_user;
  if (site.ftp_password_index >= 0 && site.ftp_password_index < kFtpPasswordCount) {
    ftp_password_ = site.ftp_passwords[static_cast<size_t>(site.ftp_password_index)];
  }
  download_folder_ = site.download_folder;
  if (download_folder_.GetLength() == 0) {
    download_folder_ = (DataHome() + "/Varnholt/Updates").c_str();
  }
  if (!services_.start_process) services_.start_process = StartDetachedProcess;
  if (!services_.is_system_install) {
    services_.is_system_install = [](const std::string& path) { return hv::IsSystemInstall(path); };
  }
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
  backup_wanted_ = backup_wanted;
  backup_source_ = backup_source != nullptr ? backup_source : "";
  main_program_only_ = main_program_only;
}

bool cAutoUpdater::ChannelLoaded(int32_t channel) const {
  return channel >= 1 && channel <= 3 && channel_loaded_[channel];
}

eInstallBlock cAutoUpdater::InstallBlock() const {
  if (services_.site.public_key.empty()) return eInstallBlock::kNoPublisherKey;
  if (services_.is_system_install(program_path_.CStr())) return eInstallBlock::kSystemPackage;
  return eInstallBlock::kNone;
}

cTransferWatch cAutoUpdater::Watch() {
  cTransferWatch watch;
  watch.progress = [this](uint64_t bytes) { return OnTransferProgress(bytes); };
  watch.clock = services_.clock;
  watch.limits = services_.limits;
  return watch;
}

hv::Status cAutoUpdater::GetFileFromWebsite(const char* url, const char* local_path,
                                            const char* agent, bool use_proxy,
                                            const char* proxy_name, swString* error_text) {
  cWebRequest request;
  request.url = url;
  request.local_path = local_path;
  request.agent = agent != nullptr && *agent != '\0' ? agent : kUpdateAgent;
  request.use_proxy = use_proxy;
  request.proxy_name = proxy_name;
  request.max_bytes = kMaxSmallFile;
  request.watch = Watch();
  return FetchWebFile(request, error_text);
}

hv::Status cAutoUpdater::GetControlFile(int32_t channel, const char* site_address,
                                        const char* local_directory) {
  items_.FreeAll();
  const char* name = ControlFileName(channel);
  if (name == nullptr) {
    last_error_ = HexCodeText("Failed to get the file name (%lx)", hv::kMissingArgument);
    return hv::UpdateStatus(hv::kMissingArgument);
  }
  std::string url = site_address != nullptr ? site_address : "";
  if (url.empty() || url.back() != '/') url += '/';
  url += name;
  control_file_url_ = url.c_str();

  const std::string folder = local_directory != nullptr ? local_directory : "";
  if (!folder.empty() && !MakeFolders(folder)) {
    // The code the download would give for a file it cannot write, but naming the folder.
    last_error_.Format("ERROR: Unable to make the folder %s for %s (GetControlFile)",
                       folder.c_str(), name);
    return hv::UpdateStatus(hv::kCannotOpenFile);
  }
  const std::string local_path = JoinPosixPath(folder, name);
  swString error_text;
  hv::Status status =
      GetFileFromWebsite(url.c_str(), local_path.c_str(), kUpdateAgent, false, "", &error_text);
  if (!status.ok()) {
    last_error_ = error_text;
    return status;
  }
  status = ReadControlFile(local_path.c_str());
  if (status.ok()) channel_loaded_[channel] = true;
  return status;
}

hv::Status cAutoUpdater::ReadControlFile(const char* path) {
  std::string content;
  if (hv::Status read = ReadSmallFile(path, &content); !read.ok()) return read;
  int32_t failed_line = 0;
  hv::Status parsed = ParseControlFile(content, &header_, &items_, &failed_line);
  if (!parsed.ok() && failed_line > 0) {
    last_error_ = ControlFileErrorText(failed_line, path, parsed.code());
  }
  return parsed;
}

hv::Status cAutoUpdater::ReadVersionFile(const char* path, swString* version, int32_t* build,
                                         swString* date, swString* notes) {
  std::string content;
  if (hv::Status read = ReadSmallFile(path, &content); !read.ok()) return read;
  cVersionInfo info;
  ParseVersionFile(content, &info);
  if (version != nullptr) *version = info.version;
  if (build != nullptr) *build = info.build;
  if (date != nullptr) *date = info.date;
  if (notes != nullptr) *notes = info.notes;
  return hv::Status::Ok();
}

void cAutoUpdater::TakeConnectionSettings() {
  ftp_directory_ = header_.ftp_main_dir;
  ftp_host_ = header_.ftp_site;
  ftp_port_ = header_.ftp_port;
  ftp_user_ = header_.ftp_user;
  const int32_t index = header_.ftp_password_index;
  // An index past the table keeps the password in use.
  if (index >= 0 && index < kFtpPasswordCount) {
    ftp_password_ = services_.site.ftp_passwords[static_cast<size_t>(index)];
  }
}

hv::Status cAutoUpdater::Connect() {
  const std::string wanted = std::string(ftp_host_.CStr()) + "\n" + std::to_string(ftp_port_) +
                             "\n" + ftp_user_.CStr() + "\n" + ftp_password_.CStr() + "\n" +
                             ftp_directory_.CStr();
  if (ftp_.IsOpen() && wanted == opened_with_) return hv::Status::Ok();
  if (ftp_port_ <= 0 || ftp_port_ > 65535) return hv::UpdateStatus(hv::kCannotOpenSession);
  const hv::Status status = ftp_.Open(ftp_host_.CStr(), ftp_port_, ftp_user_.CStr(),
                                      ftp_password_.CStr(), ftp_directory_.CStr(), Watch());
  opened_with_ = status.ok() ? wanted : std::string();
  return status;
}

void cAutoUpdater::Close() {
  ftp_.Close();
  opened_with_.clear();
}

hv::Status cAutoUpdater::CheckRemoteFlag(const char* name, bool* present) {
  *present = false;
  hv::Status status = Connect();
  if (!status.ok()) return status;
  bool exists = false;
  uint64_t size = 0;
  status = ftp_.RemoteSize(name, &exists, &size, Watch());
  if (!status.ok()) return status;
  *present = exists && size > 0;
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::CheckLock() {
  bool locked = false;
  const hv::Status status = CheckRemoteFlag(kLockFileName, &locked);
  if (!status.ok()) return status;
  if (!locked) return hv::Status::Ok();
  if (!no_progress_window_) ShowMessage(kLockNotice, kLockCaption);
  return hv::UpdateStatus(hv::kUpdatesLocked);
}

hv::Status cAutoUpdater::CheckBlackList() {
  bool listed = false;
  const hv::Status status = CheckRemoteFlag(kBlackListFileName, &listed);
  if (!status.ok()) return status;
  return hv::UpdateStatus(listed ? hv::kUpdatesLocked : hv::kOk);
}

void cAutoUpdater::ShowMessage(const char* text, const char* caption) {
  if (services_.toolkit == nullptr) return;
  services_.toolkit->MessageBox().Show(text, caption, cMessageBoxIcon::kWarning,
                                       cMessageBoxButtons::kOk, nullptr);
}

bool cAutoUpdater::OnTransferProgress(uint64_t bytes) {
  if (!no_progress_window_ && services_.event_loop != nullptr) services_.event_loop->Pump(0);
  if (progress_ != nullptr) {
    progress_->SetPosition(bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes));
    progress_->UpdateLabel(estimate_only_);
    if (progress_->IsCancelled()) cancel_requested_ = true;
  }
  return !cancel_requested_;
}

bool cAutoUpdater::IsMetadataItem(const cDownloadItem& item) const {
  return std::strcmp(item.CStr(), kVersionFileName) == 0 ||
         std::strcmp(item.CStr(), kVersionSignatureName) == 0;
}

hv::Status cAutoUpdater::DownloadItem(int32_t /*channel*/, const cDownloadItem& item,
                                      bool skip_current, const char* local_directory,
                                      swString* local_path_out, swString* remote_name_out) {
  const std::string path = item.CStr();
  if (!IsSafeItemPath(path)) {
    last_error_.Format("The update lists a file outside its folder: %s", path.c_str());
    return hv::UpdateStatus(hv::kDownloadFailed);
  }
  const std::string folder = local_directory != nullptr && *local_directory != '\0'
                                 ? local_directory
                                 : program_directory_.CStr();
  const std::string local_path = JoinPosixPath(folder, path);
  if (local_path_out != nullptr) *local_path_out = local_path.c_str();
  if (skip_current && IsLocalCopyCurrent(local_path, item)) return hv::UpdateStatus(hv::kDeclined);
  return FetchItem(item, local_path, remote_name_out);
}

hv::Status cAutoUpdater::FetchItem(const cDownloadItem& item, const std::string& local_path,
                                   swString* remote_name_out) {
  const std::string path = item.CStr();
  if (!IsSafeItemPath(path)) {
    last_error_.Format("The update lists a file outside its folder: %s", path.c_str());
    return hv::UpdateStatus(hv::kDownloadFailed);
  }
  const std::string remote_name = RemoteNameOf(path);
  if (remote_name_out != nullptr) *remote_name_out = remote_name.c_str();
  if (progress_ != nullptr) {
    progress_->SetFileSize(item.size);
    progress_->SetPosition(0);
    progress_->SetFileName(remote_name.c_str());
    progress_->UpdateLabel(estimate_only_);
  }

  // Inside the program folder no folder is followed through a link.
  if (!hv::MakeParentFolders(local_path, program_directory_.CStr())) {
    last_error_.Format("Cannot make the folder for %s", local_path.c_str());
    return hv::UpdateStatus(hv::kCannotOpenFile);
  }
  // The file lands under a temporary name and takes its real one only once it is proven.
  const std::string fetched_path = local_path + ".download";
  // The control file's size is the most a file may bring; a server that sends more is cut
  // off while the file streams in.
  const uint64_t limit =
      std::min<uint64_t>(item.size, IsMetadataItem(item) ? kMaxSmallFile : kMaxTransferBytes);
  hv::Status status;
  swString error_text;
  if (header_.download_type == 1) {
    std::string url = header_.main_source_path.CStr();
    if (url.empty() || url.back() != '/') url += '/';
    url += EscapeForUrl(remote_name);
    cWebRequest request;
    request.url = url.c_str();
    request.local_path = fetched_path.c_str();
    request.agent = kUpdateAgent;
    request.use_proxy = use_proxy_;
    request.proxy_name = proxy_name_.CStr();
    request.max_bytes = limit;
    request.watch = Watch();
    status = FetchWebFile(request, &error_text);
    if (!status.ok() && remote_name_out != nullptr) {
      *remote_name_out = (remote_name + " (" + error_text.CStr() + ")").c_str();
    }
  } else if (header_.download_type == 2) {
    status = Connect();
    if (status.ok()) {
      status = ftp_.Retrieve(remote_name.c_str(), fetched_path.c_str(), limit, Watch());
    }
  } else {
    return hv::UpdateStatus(hv::kUnknownDownloadType);
  }
  if (!status.ok()) {
    unlink(fetched_path.c_str());
    if (error_text.GetLength() > 0) last_error_ = error_text;
    if (status.code() == hv::kFileTooLarge) {
      last_error_.Format("The file %s is larger than the update lists it", remote_name.c_str());
    }
    // A stop by the user or the deadline says so; anything else is a failed download.
    if (status.code() == hv::kDeclined || status.code() == hv::kTimedOut ||
        status.code() == hv::kFileTooLarge) {
      return status;
    }
    return hv::UpdateStatus(hv::kDownloadFailed);
  }
  if (progress_ != nullptr) progress_->SetPosition(item.size);

  // The version file and its signature are proven together, by the signature; every other
  // file by the hash the proven version file gives for its path as the control file spells it.
  if (!IsMetadataItem(item)) {
    const auto hash = verified_hashes_.find(path);
    if (!version_verified_ || hash == verified_hashes_.end() ||
        FileSha256(fetched_path.c_str()) != hash->second) {
      unlink(fetched_path.c_str());
      last_error_.Format("The file %s is not the one the publisher released", path.c_str());
      return hv::UpdateStatus(hv::kNotAuthentic);
    }
  }
  hv::Status placed = SetFileTimes(fetched_path.c_str(), item.file_time_high, item.file_time_low);
  if (placed.ok() && rename(fetched_path.c_str(), local_path.c_str()) != 0) {
    placed = hv::UpdateStatus(hv::kCannotOpenFile);
  }
  if (!placed.ok()) unlink(fetched_path.c_str());
  return placed;
}

uint32_t cAutoUpdater::NewestAcceptedPublication(int32_t channel) const {
  uint32_t newest = 0;
  // Never stored: 0, so any publication is newer.
  ReadProfileNumber(services_.company, services_.application, kVersionInfoSection,
                    NewestPublishedName(channel).c_str(), &newest, 0)
      .Ignore("0 is the default");
  return newest;
}

void cAutoUpdater::AcceptPublication(int32_t channel, uint32_t published) {
  if (published <= NewestAcceptedPublication(channel)) return;
  cSettingsWriter writer(services_.company, services_.application);
  writer.Number(kVersionInfoSection, NewestPublishedName(channel).c_str(), published);
  writer.Finish().Ignore(
      "not kept means only that a later check compares with an older time; nothing is lost");
}

hv::Status cAutoUpdater::VerifyVersionFile(int32_t channel, const std::string& version_path,
                                           const std::string& signature_path,
                                           std::string* content) {
  const auto refuse = [&](int32_t code, const char* why) {
    unlink(version_path.c_str());
    unlink(signature_path.c_str());
    last_error_ = why;
    return hv::UpdateStatus(code);
  };
  std::string signature;
  const bool read = ReadSmallFile(version_path.c_str(), content).ok() &&
                    ReadSmallFile(signature_path.c_str(), &signature).ok();
  if (!read || !SignatureIsValid(*content, signature, services_.site.public_key)) {
    return refuse(hv::kNotAuthentic, "The version file is not signed by the publisher");
  }
  cVersionInfo info;
  ParseVersionFile(*content, &info);
  // A signed file of another channel, or an older one of this channel, is a genuine
  // release too: only these two fields tell a replayed one from the latest.
  if (info.channel != ChannelWord(channel)) {
    return refuse(hv::kRollbackRefused, "The version file was published for another channel");
  }
  if (info.published == 0 || info.published < NewestAcceptedPublication(channel)) {
    return refuse(hv::kRollbackRefused,
                  "The version file is older than one this client has already seen");
  }
  AcceptPublication(channel, info.published);
  verified_hashes_ = std::move(info.hashes);
  version_verified_ = true;
  // Everything shown comes from the very bytes whose signature held.
  latest_version_ = info.version;
  latest_build_ = info.build;
  latest_date_ = info.date;
  release_notes_ = info.notes;
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::FetchVersionFile(int32_t channel, std::string* content) {
  version_verified_ = false;
  verified_hashes_.clear();
  hv::Status status =
      GetControlFile(channel, services_.site.web_address.CStr(), download_folder_.CStr());
  if (!status.ok()) return status;
  TakeConnectionSettings();
  if (header_.download_type == 2) {
    status = Connect();
    if (!status.ok()) return status;
  }
  const cDownloadItem* version_item = items_.Find(kVersionFileName);
  if (version_item == nullptr) return hv::UpdateStatus(hv::kNotFound);
  const bool can_prove = !services_.site.public_key.empty();
  const cDownloadItem* signature_item = items_.Find(kVersionSignatureName);
  if (can_prove && signature_item == nullptr) {
    last_error_ = "The update site publishes no signature for its version file";
    return hv::UpdateStatus(hv::kNotAuthentic);
  }
  swString version_path;
  status =
      DownloadItem(channel, *version_item, false, download_folder_.CStr(), &version_path, nullptr);
  if (!status.ok()) return status;

  if (!can_prove) {
    // Without a key nothing can be proven: the file is shown for what it says, and no run
    // installs from it.
    if (hv::Status read = ReadSmallFile(version_path.CStr(), content); !read.ok()) return read;
    cVersionInfo info;
    ParseVersionFile(*content, &info);
    latest_version_ = info.version;
    latest_build_ = info.build;
    latest_date_ = info.date;
    release_notes_ = info.notes;
    return hv::Status::Ok();
  }
  swString signature_path;
  status = DownloadItem(channel, *signature_item, false, download_folder_.CStr(), &signature_path,
                        nullptr);
  if (!status.ok()) return status;
  return VerifyVersionFile(channel, version_path.CStr(), signature_path.CStr(), content);
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
  if (latest_version != nullptr) *latest_version = latest_version_;
  if (latest_build != nullptr) *latest_build = latest_build_;
  if (latest_date != nullptr) *latest_date = latest_date_;
  if (release_notes != nullptr) *release_notes = release_notes_;
  return hv::Status::Ok();
}

hv::Status cAutoUpdater::EnsureControlFile(int32_t channel) {
  if (ChannelLoaded(channel)) return hv::Status::Ok();
  const hv::Status status =
      GetControlFile(channel, services_.site.web_address.CStr(), download_folder_.CStr());
  if (status.ok()) TakeConnectionSettings();
  return status;
}

uint32_t cAutoUpdater::EstimateBytes(bool skip_current) {
  uint64_t total = 0;
  items_.ForEach([&](cDownloadItem& item) {
    const std::string local = JoinPosixPath(program_directory_.CStr(), item.CStr());
    if (skip_current && IsLocalCopyCurrent(local, item)) return;
    total += item.size;
  });
  total += static_cast<uint64_t>(items_.GetCount()) * kEstimateBytesPerItem;
  return total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
}

// The release a run installs is the one the user was shown, fetched again and compared byte
// for byte, and it must be newer than the running build (or the same, when the user chose
// to reinstall it).
hv::Status cAutoUpdater::ConfirmRelease(int32_t channel, bool skip_current) {
  hv::Status status = Connect();
  if (!status.ok()) return status;
  std::string content;
  status = FetchVersionFile(channel, &content);
  if (!status.ok()) return status;
  if (!shown_version_.empty() && content != shown_version_) {
    last_error_ = "The update site now offers another release than the one shown";
    return hv::UpdateStatus(hv::kRollbackRefused);
  }
  const int32_t this_build = std::atoi(ThisBuildText());
  if (skip_current && this_build >= latest_build_) return hv::UpdateStatus(hv::kDeclined);
  if (latest_build_ < this_build || (latest_build_ == this_build && !reinstall_allowed_)) {
    last_error_.Format("The update site offers build %d, which is not newer than this one",
                       latest_build_);
    return hv::UpdateStatus(hv::kRollbackRefused);
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

std::string cAutoUpdater::MakeBackupFolder() {
  if (!backup_wanted_) return std::string();
  swString name;
  name.Format("Version %s Build %s", ThisVersionText(), ThisBuildText());
  const std::string folder =
      JoinPosixPath(JoinPosixPath(program_directory_.CStr(), "Backup"), name.CStr());
  std::error_code ignored;
  // Made like the update's own folders: never through a link planted in the program folder.
  if (!hv::MakeParentFolders(JoinPosixPath(folder, "."), program_directory_.CStr())) {
    return std::string();
  }
  if (backup_source_.GetLength() > 0) {
    fs::copy_file(backup_source_.CStr(),
                  JoinPosixPath(folder, PosixFileName(backup_source_.CStr())),
                  fs::copy_options::overwrite_existing, ignored);
  }
  return folder;
}

// Every file comes down into the staging folder; the first one that fails its proof, or a
// Cancel, ends the pass. A file that merely did not come down is left as it is.
hv::Status cAutoUpdater::FetchIntoStaging(int32_t /*channel*/, bool skip_current,
                                          const std::string& staging, cRunFiles* files) {
  std::string program_base;
  std::string program_extension;
  hv::SplitPosixFileName(program_path_.CStr(), &program_base, &program_extension);
  const std::string program_folder = program_directory_.CStr();
  int32_t stop = hv::kOk;
  items_.ForEach([&](cDownloadItem& item) {
    if (stop != hv::kOk) return;
    const std::string path = item.CStr();
    // Libraries for the system folder of another platform: this one has no such folder.
    if (ContainsSystem32(path) || IsMetadataItem(item)) return;
    std::string base;
    std::string extension;
    hv::SplitPosixFileName(path, &base, &extension);
    const bool is_exe = EqualsNoCase(extension, "exe");
    if (main_program_only_) {
      bool wanted = is_exe && EqualsNoCase(base, program_base.c_str());
      for (const char* data_file : kMainProgramDataFiles) wanted = wanted || path == data_file;
      if (!wanted) return;
    }
    cStagedFile file;
    // The program itself cannot be overwritten while it runs: it waits under the "ex_" name,
    // and the restart helper swaps it in.
    file.is_program =
        is_exe && (EqualsNoCase(base, program_base.c_str()) || EqualsNoCase(base, "Varnh"));
    const std::string relative =
        file.is_program ? hv::WithPosixExtension(PosixFileName(path), "ex_") : path;
    file.final_path = file.is_program ? std::string(program_path_.CStr())
                                      : JoinPosixPath(program_folder, relative);
    file.staged_path = JoinPosixPath(staging, relative);
    if (const auto hash = verified_hashes_.find(path); hash != verified_hashes_.end()) {
      file.sha256_hex = hv::HexText(hash->second);
    }
    if (skip_current && IsLocalCopyCurrent(file.final_path, item)) return;
    const int32_t result = FetchItem(item, file.staged_path, nullptr).code();
    if (cancel_requested_ || result == hv::kDeclined) {
      stop = hv::kDeclined;
      return;
    }
    // More bytes than listed is a file the publisher did not release either.
    if (result == hv::kNotAuthentic || result == hv::kFileTooLarge) {
      stop = hv::kNotAuthentic;
      files->refused_name = path;
      return;
    }
    // A site that stopped answering would only make every further file wait as long.
    if (result == hv::kTimedOut) {
      stop = result;
      return;
    }
    if (result != hv::kOk) return;
    if (file.is_program) files->new_program_file = file.staged_path;
    files->staged.push_back(file);
  });
  return hv::UpdateStatus(stop);
}

// Keeps a copy of each file the run replaces, then, when no new program came down, moves the
// data files into place itself; with a new program the restart helper swaps them all in.
void cAutoUpdater::InstallStaged(const cRunFiles& files, const std::string& backup_folder,
                                 bool* restart) {
  *restart = !files.new_program_file.empty();
  for (const cStagedFile& file : files.staged) {
    std::error_code ignored;
    if (!backup_folder.empty() && fs::exists(file.final_path, ignored)) {
      fs::copy_file(file.final_path, JoinPosixPath(backup_folder, PosixFileName(file.final_path)),
                    fs::copy_options::overwrite_existing, ignored);
    }
    if (!*restart) {
      hv::MoveIntoProgramFolder(file.staged_path, file.final_path, program_directory_.CStr());
    }
  }
}

hv::Status cAutoUpdater::HandOffToRestart(const cRunFiles& files, const std::string& staging) {
  const std::string program_folder = program_directory_.CStr();
  hv::cRestartHandOff hand_off;
  hand_off.restart_program = hv::FindRestartProgram(program_folder);
  if (hand_off.restart_program.empty()) {
    last_error_ = "The restart helper is neither beside the program nor installed";
    return hv::UpdateStatus(hv::kRestartNotStarted);
  }
  hand_off.program_path = program_path_.CStr();
  hand_off.staging_folder = staging;
  hand_off.pid =
      services_.handed_over_pid != 0 ? services_.handed_over_pid : static_cast<int32_t>(getpid());
  for (const cStagedFile& file : files.staged) {
    hand_off.files.push_back({file.staged_path, file.final_path, file.sha256_hex});
  }
  const hv::Status started = hv::LaunchRestart(hand_off, services_.start_process);
  if (!started.ok()) {
    last_error_ = started.message().c_str();
    return started;
  }
  return hv::UpdateStatus(hv::kRestartStarted);
}

hv::Status cAutoUpdater::Update(cWindow* parent, bool skip_current, int32_t channel,
                                bool no_progress_window, bool estimate_only, uint32_t* estimate) {
  std::optional<cWaitCursor> wait;
  if (services_.toolkit != nullptr) wait.emplace(*services_.toolkit);
  no_progress_window_ = no_progress_window;
  estimate_only_ = estimate_only;
  cancel_requested_ = false;

  hv::Status status = EnsureControlFile(channel);
  if (!status.ok()) return status;
  if (estimate_only || estimate == nullptr || *estimate == 0) {
    const uint32_t made = EstimateBytes(skip_current);
    if (estimate != nullptr) *estimate = made;
    if (estimate_only) return hv::Status::Ok();
  }
  switch (InstallBlock()) {
    case eInstallBlock::kNone: break;
    case eInstallBlock::kNoPublisherKey:
      last_error_ = "This build has no key to check updates with";
      return hv::UpdateStatus(hv::kCannotInstall);
    case eInstallBlock::kSystemPackage:
      last_error_ = "The system's package manager installs updates of this program";
      return hv::UpdateStatus(hv::kCannotInstall);
  }
  status = ConfirmRelease(channel, skip_current);
  if (status.code() == hv::kDeclined && !cancel_requested_)
    return hv::Status::Ok();  // skip_current: current
  if (!status.ok()) return status;
  status = CheckLock();
  if (status.ok()) status = CheckBlackList();
  if (!status.ok()) return status;
  status = OpenProgress(parent, estimate != nullptr ? *estimate : 0);
  if (!status.ok()) return status;

  const std::string program_folder = program_directory_.CStr();
  const std::string backup_folder = MakeBackupFolder();
  const std::string staging = hv::MakeStagingFolder(program_folder);
  if (staging.empty()) {
    progress_.reset();
    last_error_.Format("Cannot write to the program folder %s", program_folder.c_str());
    ShowMessage("Unable to update: the program folder cannot be written to.", kRefusalCaption);
    return hv::UpdateStatus(hv::kCannotOpenFile);
  }
  cRunFiles files;
  const hv::Status stop = FetchIntoStaging(channel, skip_current, staging, &files);
  bool restart_needed = false;
  if (stop.ok()) InstallStaged(files, backup_folder, &restart_needed);
  progress_.reset();
  // The helper takes over the staging folder and removes it when it is done.
  if (stop.ok() && restart_needed) {
    const hv::Status handed = HandOffToRestart(files, staging);
    if (handed.code() == hv::kRestartStarted) return handed;
    std::error_code ignored;
    fs::remove_all(staging, ignored);
    return handed;
  }
  std::error_code ignored;
  fs::remove_all(staging, ignored);

  if (stop.code() == hv::kNotAuthentic) {
    swString text;
    text.Format(
        "The update was stopped because the downloaded file \"%s\" is not the "
        "file the publisher released.  It was deleted, and nothing was installed.",
        files.refused_name.c_str());
    if (!no_progress_window) ShowMessage(text.CStr(), kRefusalCaption);
    return stop;
  }
  return stop;
}

}  // namespace hv
