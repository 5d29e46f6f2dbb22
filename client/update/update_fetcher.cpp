#include "client/update/update_fetcher.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "client/update/update_codes.h"
#include "core/file/whole_file.h"
#include "core/profile/user_folders.h"
#include "core/string/path_name.h"

namespace hv {

namespace {

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

std::string TempDir() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

// lock.dat and BlackList.dat say something by being there and not empty; a few bytes do.
constexpr uint64_t kMaxFlagFile = 64 * 1024;

}  // namespace

cUpdateFetcher::cUpdateFetcher(const cUpdateSite& site, std::function<cTransferWatch()> watch)
    : site_(site), watch_(std::move(watch)) {
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
}

hv::Status cUpdateFetcher::GetFileFromWebsite(const char* url, const char* local_path,
                                              const char* agent, bool use_proxy,
                                              const char* proxy_name) {
  cWebRequest request;
  request.url = url;
  request.local_path = local_path;
  request.agent = agent != nullptr && *agent != '\0' ? agent : kUpdateAgent;
  request.use_proxy = use_proxy;
  request.proxy_name = proxy_name;
  request.max_bytes = kMaxSmallFile;
  request.watch = watch_();
  return FetchWebFile(request);
}

hv::Status cUpdateFetcher::GetControlFile(const char* control_name, const char* site_address,
                                          const char* local_directory) {
  items_.FreeAll();
  std::string url = site_address != nullptr ? site_address : "";
  if (url.empty() || url.back() != '/') url += '/';
  url += control_name;
  control_file_url_ = url.c_str();

  const std::string folder = local_directory != nullptr ? local_directory : "";
  if (!folder.empty() && !MakeFolders(folder)) {
    // The code the download would give for a file it cannot write, but naming the folder.
    swString text;
    text.Format("ERROR: Unable to make the folder %s for %s (GetControlFile)", folder.c_str(),
                control_name);
    return UpdateFailure(kCannotOpenFile, text.CStr());
  }
  const std::string local_path = JoinPosixPath(folder, control_name);
  const hv::Status status =
      GetFileFromWebsite(url.c_str(), local_path.c_str(), kUpdateAgent, false, "");
  if (!status.ok()) return status;
  return ReadControlFile(local_path.c_str());
}

hv::Status cUpdateFetcher::ReadControlFile(const char* path) {
  std::string content;
  if (path == nullptr) return hv::UpdateStatus(hv::kCannotOpenFile);
  const hv::Status read = hv::ReadWholeFile(path, kMaxSmallFile, &content);
  if (!read.ok()) return hv::Status(hv::Where::kUpdate, hv::kCannotOpenFile, read.message());
  int32_t failed_line = 0;
  hv::Status parsed = ParseControlFile(content, &header_, &items_, &failed_line);
  if (!parsed.ok() && failed_line > 0) {
    return WithMessage(parsed, ControlFileErrorText(failed_line, path, parsed.code()).CStr());
  }
  return parsed;
}

void cUpdateFetcher::TakeConnectionSettings() {
  ftp_directory_ = header_.ftp_main_dir;
  ftp_host_ = header_.ftp_site;
  ftp_port_ = header_.ftp_port;
  ftp_user_ = header_.ftp_user;
  const int32_t index = header_.ftp_password_index;
  // An index past the table keeps the password in use.
  if (index >= 0 && index < kFtpPasswordCount) {
    ftp_password_ = site_.ftp_passwords[static_cast<size_t>(index)];
  }
}

hv::Status cUpdateFetcher::Connect() {
  const std::string wanted = std::string(ftp_host_.CStr()) + "\n" + std::to_string(ftp_port_) +
                             "\n" + ftp_user_.CStr() + "\n" + ftp_password_.CStr() + "\n" +
                             ftp_directory_.CStr();
  if (ftp_.IsOpen() && wanted == opened_with_) return hv::Status::Ok();
  if (ftp_port_ <= 0 || ftp_port_ > 65535) return hv::UpdateStatus(hv::kCannotOpenSession);
  const hv::Status status = ftp_.Open(ftp_host_.CStr(), ftp_port_, ftp_user_.CStr(),
                                      ftp_password_.CStr(), ftp_directory_.CStr(), watch_());
  opened_with_ = status.ok() ? wanted : std::string();
  return status;
}

void cUpdateFetcher::Close() {
  ftp_.Close();
  opened_with_.clear();
}

hv::Status cUpdateFetcher::CheckRemoteFlag(const char* name, bool* present) {
  *present = false;
  // A site that serves its files over the web answers there too, so that an HTTPS-only site
  // needs no FTP server beside it: a missing file is a 404.
  if (header_.download_type == 1) {
    std::string temporary = TempDir() + "/VHXflagXXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return hv::UpdateStatus(hv::kCannotOpenFile);
    close(fd);
    const hv::Status fetched = FetchFile(name, temporary, kMaxFlagFile);
    struct stat info {};
    *present = fetched.ok() && stat(temporary.c_str(), &info) == 0 && info.st_size > 0;
    unlink(temporary.c_str());
    if (fetched.ok() || IsUpdateCode(fetched, kHttpStatusNotOk)) return hv::Status::Ok();
    // Larger than a flag ever is: it is there and not empty.
    if (IsUpdateCode(fetched, kFileTooLarge)) {
      *present = true;
      return hv::Status::Ok();
    }
    return fetched;
  }
  hv::Status status = Connect();
  if (!status.ok()) return status;
  bool exists = false;
  uint64_t size = 0;
  status = ftp_.RemoteSize(name, &exists, &size, watch_());
  if (!status.ok()) return status;
  *present = exists && size > 0;
  return hv::Status::Ok();
}

hv::Status cUpdateFetcher::FetchFile(const std::string& remote_name, const std::string& local_path,
                                     uint64_t limit) {
  if (header_.download_type == 1) {
    std::string url = header_.main_source_path.CStr();
    if (url.empty() || url.back() != '/') url += '/';
    url += EscapeForUrl(remote_name);
    cWebRequest request;
    request.url = url.c_str();
    request.local_path = local_path.c_str();
    request.agent = kUpdateAgent;
    request.use_proxy = use_proxy_;
    request.proxy_name = proxy_name_.CStr();
    request.max_bytes = limit;
    request.watch = watch_();
    return FetchWebFile(request);
  }
  if (header_.download_type == 2) {
    const hv::Status status = Connect();
    if (!status.ok()) return status;
    return ftp_.Retrieve(remote_name.c_str(), local_path.c_str(), limit, watch_());
  }
  return hv::UpdateStatus(hv::kUnknownDownloadType);
}

}  // namespace hv
