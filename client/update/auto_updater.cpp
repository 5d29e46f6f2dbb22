#include "client/update/auto_updater.h"

#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "client/platform/event_loop.h"
#include "client/ui/toolkit.h"
#include "client/update/dlg_progress.h"
#include "client/update/file_time.h"
#include "client/update/update_codes.h"
#include "client/update/update_signature.h"
#include "client/update/version_file.h"
#include "core/profile/user_folders.h"

namespace hv {

namespace fs = std::filesystem;

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
constexpr const char* kNotAuthenticCaption = "Update Error";

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream buffer;
  buffer << file.rdbuf();
  if (!file.good() && !file.eof()) return false;
  *content = buffer.str();
  return content->size() <= kMaxSmallFile;
}

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::string FilePart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Base name and extension of a file name, split at its last dot.
void SplitFileName(const std::string& name, std::string* base, std::string* extension) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    *base = name;
    extension->clear();
  } else {
    *base = name.substr(0, dot);
    *extension = name.substr(dot + 1);
  }
}

std::string WithExtension(const std::string& path, const char* extension) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool has_dot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_dot ? path.substr(0, dot) : path) + "." + extension;
}

// The site decides item paths, so they are only ever taken as relative paths below the
// folder they are meant for: no absolute paths, no "..", no empty or "." parts.
bool IsSafeItemPath(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos) return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

// The item's name on the site: "ex_" stands for "exe".
std::string RemoteNameOf(const std::string& path) {
  std::string base;
  std::string extension;
  SplitFileName(FilePart(path), &base, &extension);
  if (!EqualsNoCase(extension, "ex_")) return path;
  return WithExtension(path, "exe");
}

bool ContainsSystem32(const std::string& path) {
  return strcasestr(path.c_str(), "SYSTEM32") != nullptr;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
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
  (void)text.Format(format, static_cast<unsigned long>(static_cast<uint32_t>(status)));
  return text;
}

}  // namespace

struct cAutoUpdater::cStagedFile {
  std::string staged_path;
  std::string final_path;
  bool is_program = false;
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
}

cAutoUpdater::~cAutoUpdater() {
  progress_.reset();
  Close();
}

int32_t cAutoUpdater::Init(const char* program_path, bool backup_wanted, const char* backup_source,
                           bool main_program_only) {
  program_path_ = program_path != nullptr ? program_path : "";
  const std::string path = program_path_.CStr();
  const size_t slash = path.rfind('/');
  program_directory_ =
      slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash).c_str();
  backup_wanted_ = backup_wanted;
  backup_source_ = backup_source != nullptr ? backup_source : "";
  main_program_only_ = main_program_only;
  return hv::kOk;
}

bool cAutoUpdater::ChannelLoaded(int32_t channel) const {
  return channel >= 1 && channel <= 3 && channel_loaded_[channel];
}

int32_t cAutoUpdater::GetFileFromWebsite(const char* url, const char* local_path, const char* agent,
                                         bool use_proxy, const char* proxy_name,
                                         swString* error_text) {
  cWebRequest request;
  request.url = url;
  request.local_path = local_path;
  request.agent = agent != nullptr && *agent != '\0' ? agent : kUpdateAgent;
  request.use_proxy = use_proxy;
  request.proxy_name = proxy_name;
  request.progress = [this](uint64_t bytes) { return OnTransferProgress(bytes); };
  return FetchWebFile(request, error_text);
}

int32_t cAutoUpdater::GetControlFile(int32_t channel, const char* site_address,
                                     const char* local_directory) {
  items_.FreeAll();
  const char* name = ControlFileName(channel);
  if (name == nullptr) {
    last_error_ = HexCodeText("Failed to get the file name (%lx)", hv::kMissingArgument);
    return hv::kMissingArgument;
  }
  std::string url = site_address != nullptr ? site_address : "";
  if (url.empty() || url.back() != '/') url += '/';
  url += name;
  control_file_url_ = url.c_str();

  const std::string folder = local_directory != nullptr ? local_directory : "";
  if (!folder.empty()) (void)MakeFolders(folder);
  const std::string local_path = JoinPath(folder, name);
  swString error_text;
  int32_t status =
      GetFileFromWebsite(url.c_str(), local_path.c_str(), kUpdateAgent, false, "", &error_text);
  if (status != hv::kOk) {
    last_error_ = error_text;
    return status;
  }
  status = ReadControlFile(local_path.c_str());
  if (status == hv::kOk) channel_loaded_[channel] = true;
  return status;
}

int32_t cAutoUpdater::ReadControlFile(const char* path) {
  std::string content;
  if (path == nullptr || !ReadWholeFile(path, &content)) return hv::kCannotOpenFile;
  int32_t failed_line = 0;
  const int32_t status = ParseControlFile(content, &header_, &items_, &failed_line);
  if (status != hv::kOk && failed_line > 0) {
    last_error_ = ControlFileErrorText(failed_line, path, status);
  }
  return status;
}

int32_t cAutoUpdater::ReadVersionFile(const char* path, swString* version, int32_t* build,
                                      swString* date, swString* notes) {
  std::string content;
  if (path == nullptr || !ReadWholeFile(path, &content)) return hv::kCannotOpenFile;
  cVersionInfo info;
  ParseVersionFile(content, &info);
  if (version != nullptr) *version = info.version;
  if (build != nullptr) *build = info.build;
  if (date != nullptr) *date = info.date;
  if (notes != nullptr) *notes = info.notes;
  return hv::kOk;
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

int32_t cAutoUpdater::Connect() {
  const std::string wanted = std::string(ftp_host_.CStr()) + "\n" + std::to_string(ftp_port_) +
                             "\n" + ftp_user_.CStr() + "\n" + ftp_password_.CStr() + "\n" +
                             ftp_directory_.CStr();
  if (ftp_.IsOpen() && wanted == opened_with_) return hv::kOk;
  if (ftp_port_ <= 0 || ftp_port_ > 65535) return hv::kCannotOpenSession;
  const int32_t status = ftp_.Open(ftp_host_.CStr(), ftp_port_, ftp_user_.CStr(),
                                   ftp_password_.CStr(), ftp_directory_.CStr());
  opened_with_ = status == hv::kOk ? wanted : std::string();
  return status;
}

void cAutoUpdater::Close() {
  ftp_.Close();
  opened_with_.clear();
}

int32_t cAutoUpdater::CheckRemoteFlag(const char* name, bool* present) {
  *present = false;
  int32_t status = Connect();
  if (status != hv::kOk) return status;
  bool exists = false;
  uint64_t size = 0;
  status = ftp_.RemoteSize(name, &exists, &size);
  if (status != hv::kOk) return status;
  *present = exists && size > 0;
  return hv::kOk;
}

int32_t cAutoUpdater::CheckLock() {
  bool locked = false;
  const int32_t status = CheckRemoteFlag(kLockFileName, &locked);
  if (status != hv::kOk) return status;
  if (!locked) return hv::kOk;
  if (!no_progress_window_) ShowMessage(kLockNotice, kLockCaption);
  return hv::kUpdatesLocked;
}

int32_t cAutoUpdater::CheckBlackList() {
  bool listed = false;
  const int32_t status = CheckRemoteFlag(kBlackListFileName, &listed);
  if (status != hv::kOk) return status;
  return listed ? hv::kUpdatesLocked : hv::kOk;
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
    return !progress_->IsCancelled();
  }
  return true;
}

bool cAutoUpdater::IsMetadataItem(const cDownloadItem& item) const {
  return std::strcmp(item.CStr(), kVersionFileName) == 0 ||
         std::strcmp(item.CStr(), kVersionSignatureName) == 0;
}

int32_t cAutoUpdater::DownloadItem(int32_t /*channel*/, const cDownloadItem& item,
                                   bool skip_current, const char* local_directory,
                                   swString* local_path_out, swString* remote_name_out) {
  const std::string path = item.CStr();
  if (!IsSafeItemPath(path)) {
    (void)last_error_.Format("The update lists a file outside its folder: %s", path.c_str());
    return hv::kDownloadFailed;
  }
  const std::string folder = local_directory != nullptr && *local_directory != '\0'
                                 ? local_directory
                                 : program_directory_.CStr();
  const std::string local_path = JoinPath(folder, path);
  const std::string remote_name = RemoteNameOf(path);
  if (local_path_out != nullptr) *local_path_out = local_path.c_str();
  if (remote_name_out != nullptr) *remote_name_out = remote_name.c_str();

  if (skip_current) {
    struct stat info {};
    const timespec listed = FileTimeToTimespec(item.file_time_high, item.file_time_low);
    if (stat(local_path.c_str(), &info) == 0 && info.st_mtim.tv_sec >= listed.tv_sec) {
      return hv::kDeclined;
    }
  }

  if (progress_ != nullptr) {
    progress_->SetFileSize(item.size);
    progress_->SetPosition(0);
    progress_->SetFileName(remote_name.c_str());
    progress_->UpdateLabel(estimate_only_);
  }

  std::error_code ignored;
  fs::create_directories(fs::path(local_path).parent_path(), ignored);
  // The file lands under a temporary name and takes its real one only once it is proven.
  const std::string fetched_path = local_path + ".download";
  int32_t status = hv::kOk;
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
    request.progress = [this](uint64_t bytes) { return OnTransferProgress(bytes); };
    status = FetchWebFile(request, &error_text);
    if (status != hv::kOk && remote_name_out != nullptr) {
      *remote_name_out = (remote_name + " (" + error_text.CStr() + ")").c_str();
    }
  } else if (header_.download_type == 2) {
    status = Connect();
    if (status == hv::kOk) {
      status = ftp_.Retrieve(remote_name.c_str(), fetched_path.c_str(), kMaxTransferBytes,
                             [this](uint64_t bytes) { return OnTransferProgress(bytes); });
    }
  } else {
    return hv::kUnknownDownloadType;
  }
  if (status != hv::kOk) {
    unlink(fetched_path.c_str());
    if (error_text.GetLength() > 0) last_error_ = error_text;
    return hv::kDownloadFailed;
  }
  if (progress_ != nullptr) progress_->SetPosition(item.size);

  // The version file and its signature are proven together, by the signature; every other
  // file by the hash the proven version file gives for it.
  if (!IsMetadataItem(item)) {
    const auto hash = verified_hashes_.find(remote_name);
    if (!version_verified_ || hash == verified_hashes_.end() ||
        FileSha256(fetched_path.c_str()) != hash->second) {
      unlink(fetched_path.c_str());
      (void)last_error_.Format("The file %s is not the one the publisher released",
                               remote_name.c_str());
      return hv::kNotAuthentic;
    }
  }
  if (SetFileTimes(fetched_path.c_str(), item.file_time_high, item.file_time_low) != hv::kOk ||
      rename(fetched_path.c_str(), local_path.c_str()) != 0) {
    unlink(fetched_path.c_str());
    return hv::kCannotOpenFile;
  }
  return hv::kOk;
}

int32_t cAutoUpdater::VerifyVersionFile(const std::string& version_path,
                                        const std::string& signature_path) {
  std::string content;
  std::string signature;
  const bool read =
      ReadWholeFile(version_path, &content) && ReadWholeFile(signature_path, &signature);
  if (!read || !SignatureIsValid(content, signature, services_.site.public_key)) {
    unlink(version_path.c_str());
    unlink(signature_path.c_str());
    version_verified_ = false;
    verified_hashes_.clear();
    last_error_ = services_.site.public_key.empty()
                      ? "This build has no key to check updates with"
                      : "The version file is not signed by the publisher";
    return hv::kNotAuthentic;
  }
  cVersionInfo info;
  ParseVersionFile(content, &info);
  verified_hashes_ = std::move(info.hashes);
  version_verified_ = true;
  // Everything shown comes from the very bytes whose signature held.
  latest_version_ = info.version;
  latest_build_ = info.build;
  latest_date_ = info.date;
  release_notes_ = info.notes;
  return hv::kOk;
}

int32_t cAutoUpdater::GetVersionInfo(int32_t channel, swString* latest_version,
                                     int32_t* latest_build, swString* latest_date,
                                     swString* release_notes) {
  std::optional<cWaitCursor> wait;
  if (services_.toolkit != nullptr) wait.emplace(*services_.toolkit);
  version_verified_ = false;
  verified_hashes_.clear();

  int32_t status =
      GetControlFile(channel, services_.site.web_address.CStr(), download_folder_.CStr());
  if (status != hv::kOk) return status;
  TakeConnectionSettings();
  if (header_.download_type == 2) {
    status = Connect();
    if (status != hv::kOk) return status;
  }
  const cDownloadItem* version_item = items_.Find(kVersionFileName);
  if (version_item == nullptr) return hv::kNotFound;
  const cDownloadItem* signature_item = items_.Find(kVersionSignatureName);
  if (signature_item == nullptr) {
    last_error_ = "The update site publishes no signature for its version file";
    return hv::kNotAuthentic;
  }
  swString version_path;
  swString signature_path;
  status =
      DownloadItem(channel, *version_item, false, download_folder_.CStr(), &version_path, nullptr);
  if (status == hv::kOk) {
    status = DownloadItem(channel, *signature_item, false, download_folder_.CStr(), &signature_path,
                          nullptr);
  }
  if (status != hv::kOk) return status;
  status = VerifyVersionFile(version_path.CStr(), signature_path.CStr());
  if (status != hv::kOk) return status;

  if (latest_version != nullptr) *latest_version = latest_version_;
  if (latest_build != nullptr) *latest_build = latest_build_;
  if (latest_date != nullptr) *latest_date = latest_date_;
  if (release_notes != nullptr) *release_notes = release_notes_;
  return hv::kOk;
}

int32_t cAutoUpdater::Update(cWindow* parent, bool skip_current, int32_t channel,
                             bool no_progress_window, bool estimate_only, uint32_t* estimate) {
  std::optional<cWaitCursor> wait;
  if (services_.toolkit != nullptr) wait.emplace(*services_.toolkit);
  no_progress_window_ = no_progress_window;
  estimate_only_ = estimate_only;

  int32_t status = hv::kOk;
  if (!ChannelLoaded(channel)) {
    status = GetControlFile(channel, services_.site.web_address.CStr(), download_folder_.CStr());
    if (status != hv::kOk) return status;
    TakeConnectionSettings();
  }

  if (estimate_only || estimate == nullptr || *estimate == 0) {
    uint64_t total = 0;
    items_.ForEach([&](cDownloadItem& item) {
      if (skip_current) {
        struct stat info {};
        const std::string local = JoinPath(program_directory_.CStr(), item.CStr());
        const timespec listed = FileTimeToTimespec(item.file_time_high, item.file_time_low);
        if (stat(local.c_str(), &info) == 0 && info.st_mtim.tv_sec >= listed.tv_sec) return;
      }
      total += item.size;
    });
    total += static_cast<uint64_t>(items_.GetCount()) * kEstimateBytesPerItem;
    const uint32_t made = total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
    if (estimate != nullptr) *estimate = made;
    if (estimate_only) return hv::kOk;
  }

  status = Connect();
  if (status != hv::kOk) return status;
  status = GetVersionInfo(channel, nullptr, nullptr, nullptr, nullptr);
  if (status != hv::kOk) return status;
  if (skip_current && std::atoi(ThisBuildText()) >= latest_build_) return hv::kOk;
  status = CheckLock();
  if (status == hv::kOk) status = CheckBlackList();
  if (status != hv::kOk) return status;

  progress_.reset();
  if (!no_progress_window) {
    progress_ = std::make_unique<CDlgProgress>();
    if (services_.toolkit == nullptr || progress_->Create(*services_.toolkit, parent) != hv::kOk) {
      progress_.reset();
      return hv::kNoProgressDialog;
    }
    progress_->SetFileSize(kFirstFileSize);
    progress_->SetTotalSize(estimate != nullptr ? *estimate : 0);
  }

  const std::string program_folder = program_directory_.CStr();
  std::string backup_folder;
  if (backup_wanted_) {
    swString name;
    (void)name.Format("Version %s Build %s", ThisVersionText(), ThisBuildText());
    backup_folder = JoinPath(JoinPath(program_folder, "Backup"), name.CStr());
    std::error_code ignored;
    fs::create_directories(backup_folder, ignored);
    if (backup_source_.GetLength() > 0) {
      fs::copy_file(backup_source_.CStr(), JoinPath(backup_folder, FilePart(backup_source_.CStr())),
                    fs::copy_options::overwrite_existing, ignored);
    }
  }

  // Every file comes down into a staging folder beside the program; only when all of them
  // are proven does any of them take its place.
  std::string staging = JoinPath(program_folder, ".update-XXXXXX");
  if (mkdtemp(staging.data()) == nullptr) {
    progress_.reset();
    (void)last_error_.Format("Cannot write to the program folder %s", program_folder.c_str());
    ShowMessage("Unable to update: the program folder cannot be written to.", kNotAuthenticCaption);
    return hv::kCannotOpenFile;
  }

  std::string program_base;
  std::string program_extension;
  SplitFileName(FilePart(program_path_.CStr()), &program_base, &program_extension);
  std::vector<cStagedFile> staged;
  std::string restart_file;  // the new program file, under its "ex_" name
  bool restart_needed = false;
  int32_t abort_status = hv::kOk;
  swString failed_name;

  items_.ForEach([&](cDownloadItem& item) {
    if (abort_status != hv::kOk) return;
    const std::string path = item.CStr();
    // Windows system libraries: this platform has no system folder for them.
    if (ContainsSystem32(path) || IsMetadataItem(item)) return;
    std::string base;
    std::string extension;
    SplitFileName(FilePart(path), &base, &extension);
    const bool is_exe = EqualsNoCase(extension, "exe");
    if (main_program_only_) {
      bool wanted = is_exe && EqualsNoCase(base, program_base.c_str());
      for (const char* data_file : kMainProgramDataFiles) wanted = wanted || path == data_file;
      if (!wanted) return;
    }
    cDownloadItem fetch(path.c_str());
    fetch.size = item.size;
    fetch.file_time_high = item.file_time_high;
    fetch.file_time_low = item.file_time_low;
    fetch.unused = item.unused;
    cStagedFile file;
    if (is_exe && (EqualsNoCase(base, program_base.c_str()) || EqualsNoCase(base, "Varnh"))) {
      // The program itself cannot be overwritten while it runs: it comes down beside it
      // under the "ex_" name, and the restart helper swaps it in.
      fetch = cDownloadItem(WithExtension(FilePart(path), "ex_").c_str());
      fetch.size = item.size;
      fetch.file_time_high = item.file_time_high;
      fetch.file_time_low = item.file_time_low;
      file.is_program = true;
    }
    swString staged_path;
    const int32_t result =
        DownloadItem(channel, fetch, skip_current, staging.c_str(), &staged_path, nullptr);
    if (progress_ != nullptr && progress_->IsCancelled()) {
      abort_status = hv::kDeclined;
      return;
    }
    if (result == hv::kNotAuthentic) {
      abort_status = result;
      failed_name = fetch.CStr();
      return;
    }
    if (result != hv::kOk) return;  // a file that did not come down is left as it is
    file.staged_path = staged_path.CStr();
    file.final_path = JoinPath(program_folder, fetch.CStr());
    if (file.is_program) {
      restart_needed = true;
      restart_file = file.final_path;
    }
    staged.push_back(file);
  });

  if (abort_status == hv::kOk) {
    for (const cStagedFile& file : staged) {
      std::error_code ignored;
      if (!backup_folder.empty() && fs::exists(file.final_path, ignored)) {
        fs::copy_file(file.final_path, JoinPath(backup_folder, FilePart(file.final_path)),
                      fs::copy_options::overwrite_existing, ignored);
      }
      fs::create_directories(fs::path(file.final_path).parent_path(), ignored);
      if (rename(file.staged_path.c_str(), file.final_path.c_str()) != 0 && file.is_program) {
        restart_needed = false;
      }
    }
  }
  std::error_code ignored;
  fs::remove_all(staging, ignored);
  progress_.reset();

  if (abort_status == hv::kNotAuthentic) {
    swString text;
    (void)text.Format(
        "The update was stopped because the downloaded file \"%s\" is not the "
        "file the publisher released.  It was deleted, and nothing was installed.",
        failed_name.CStr());
    if (!no_progress_window) ShowMessage(text.CStr(), kNotAuthenticCaption);
    return abort_status;
  }
  if (abort_status != hv::kOk) return abort_status;
  if (!restart_needed) return hv::kOk;

  // Each path travels in double quotes; one that holds a quote itself would reach the helper
  // cut apart, and it would move the wrong files.
  if (program_path_.Find('"') >= 0 || restart_file.find('"') != std::string::npos) {
    last_error_ = "The program's path holds a double quote, which the restart command cannot carry";
    return hv::kRestartNotStarted;
  }
  const std::string restart_program = JoinPath(program_folder, kRestartProgramName);
  const std::vector<std::string> arguments =
      RestartArguments(RestartCommandLine(program_path_.CStr(), restart_file));
  return services_.start_process(restart_program, arguments, program_folder) == hv::kOk
             ? hv::kRestartStarted
             : hv::kRestartNotStarted;
}

}  // namespace hv
