#include "client/update/transfer.h"

#include <strings.h>

#include <curl/curl.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "client/platform/system_clock.h"
#include "client/update/update_codes.h"
#include "core/file/write_all.h"

namespace hv {

namespace {

// A wait on the network lasts at most this long before the watch looks again: the window's
// pumping and Cancel are never further apart than this.
constexpr int kSliceMs = 50;
// What curl itself enforces besides the watch, on the real clock: the connection setup.
constexpr long kConnectTimeoutSeconds = 30;

bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

// A temporary file beside the target, removed unless Commit moved it into place.
class cPartFile {
 public:
  explicit cPartFile(const char* target) : target_(target) {
    path_ = target_ + ".partXXXXXX";
    fd_ = mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ < 0) path_.clear();
  }
  ~cPartFile() {
    if (fd_ >= 0) close(fd_);
    if (!path_.empty()) unlink(path_.c_str());
  }
  cPartFile(const cPartFile&) = delete;
  cPartFile& operator=(const cPartFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // The download's error text names the local file, not why it could not be written.
  bool Write(const char* data, size_t size) { return WriteAll(fd_, data, size, path_).ok(); }
  // The file, closed, becomes the target (mode 0644 as a fresh file would be, or the old
  // target's own mode). False when it cannot.
  bool Commit() {
    struct stat old_info {};
    const mode_t mode = stat(target_.c_str(), &old_info) == 0 ? (old_info.st_mode & 07777) : 0644;
    if (fchmod(fd_, mode) != 0) return false;
    // On the disk before the rename, so a crash right after it never leaves an empty file
    // where the old one was.
    if (fsync(fd_) != 0) return false;
    if (close(fd_) != 0) {
      fd_ = -1;
      return false;
    }
    fd_ = -1;
    if (rename(path_.c_str(), target_.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
};

struct cSink {
  cPartFile* file = nullptr;
  uint64_t received = 0;
  uint64_t max_bytes = 0;
  bool failed = false;
  bool too_large = false;
};

size_t WriteToSink(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<cSink*>(user);
  const size_t bytes = size * count;
  sink->received += bytes;
  if (sink->received > sink->max_bytes) {
    sink->too_large = true;
    return 0;  // ends the transfer
  }
  if (!sink->file->Write(data, bytes)) {
    sink->failed = true;
    return 0;
  }
  return bytes;
}

size_t DiscardData(char* /*data*/, size_t size, size_t count, void* /*user*/) {
  return size * count;
}

void SetCommonOptions(CURL* curl) {
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
}

// How a watched transfer ended.
enum class eTransferEnd { kDone, kStopped, kTimedOut };

// Runs the transfer set up on `curl` through `multi`, looking at the watch between slices
// of waiting. *result receives curl's own result when the transfer finished by itself.
eTransferEnd PerformWatched(CURLM* multi, CURL* curl, const cTransferWatch& watch,
                            CURLcode* result) {
  static const cSystemClock system_clock;
  const cClock& clock = watch.clock != nullptr ? *watch.clock : system_clock;
  *result = CURLE_OK;
  if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
    *result = CURLE_OUT_OF_MEMORY;
    return eTransferEnd::kDone;
  }
  const uint32_t start = clock.TickCount();
  uint32_t last_change = start;
  curl_off_t last_bytes = 0;
  eTransferEnd end = eTransferEnd::kDone;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      *result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl) {
          *result = message->data.result;
        }
      }
      break;
    }
    curl_off_t bytes = 0;
    curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &bytes);
    if (watch.progress && !watch.progress(bytes > 0 ? static_cast<uint64_t>(bytes) : 0)) {
      end = eTransferEnd::kStopped;
      break;
    }
    const uint32_t now = clock.TickCount();
    if (bytes != last_bytes) {
      last_bytes = bytes;
      last_change = now;
    }
    if (now - start >= watch.limits.deadline_ms || now - last_change >= watch.limits.stall_ms) {
      end = eTransferEnd::kTimedOut;
      break;
    }
    curl_multi_poll(multi, nullptr, 0, kSliceMs, nullptr);
  }
  curl_multi_remove_handle(multi, curl);
  return end;
}

// A failed download with `code`, told in the download's own words.
hv::Status DownloadFailed(int32_t code, const char* format, const char* a,
                          const char* b = nullptr) {
  swString text;
  if (b != nullptr) {
    text.Format(format, a, b);
  } else {
    text.Format(format, a);
  }
  return hv::UpdateFailure(code, text.CStr());
}

std::string Escaped(CURL* curl, const std::string& segment) {
  char* escaped = curl_easy_escape(curl, segment.c_str(), static_cast<int>(segment.size()));
  std::string text = escaped != nullptr ? escaped : "";
  curl_free(escaped);
  return text;
}

// A '/'-separated path as URL path segments, each escaped.
std::string EscapedPath(CURL* curl, const std::string& path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (!out.empty() || start > 0) out += '/';
    out += Escaped(curl, path.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// A transfer that TLS or the redirect rule stopped, with its reason; Ok for any other.
hv::Status SafetyRefusal(bool secure, CURLcode result, const char* url,
                         const std::string& redirected_to) {
  if (secure && result == CURLE_UNSUPPORTED_PROTOCOL) {
    return DownloadFailed(
        hv::kHttpStatusNotOk,
        "ERROR: The update site at %s sent the download on to %s, which is not HTTPS "
        "(GetFileFromWebsite)",
        url, redirected_to.c_str());
  }
  if (result == CURLE_PEER_FAILED_VERIFICATION || result == CURLE_SSL_CACERT_BADFILE) {
    return DownloadFailed(
        hv::kNotFound, "ERROR: The certificate of %s cannot be trusted (GetFileFromWebsite)", url);
  }
  return hv::Status::Ok();
}

}  // namespace

hv::Status FetchWebFile(const cWebRequest& request) {
  const char* url = request.url != nullptr ? request.url : "";
  const char* local_path = request.local_path != nullptr ? request.local_path : "";
  if (!CurlReady()) return hv::UpdateStatus(hv::kSessionOutOfMemory);
  CURLM* multi = curl_multi_init();
  CURL* curl = curl_easy_init();
  const auto cleanup = [&] {
    if (curl != nullptr) curl_easy_cleanup(curl);
    if (multi != nullptr) curl_multi_cleanup(multi);
  };
  if (curl == nullptr || multi == nullptr) {
    cleanup();
    return hv::UpdateStatus(hv::kSessionOutOfMemory);
  }

  cPartFile file(local_path);
  if (!file.IsOpen()) {
    cleanup();
    return DownloadFailed(
        hv::kCannotOpenFile,
        "ERROR: Unable to open local file %s while opening URL: %s (GetFileFromWebsite)",
        local_path, url);
  }
  cSink sink;
  sink.file = &file;
  sink.max_bytes = request.max_bytes;

  SetCommonOptions(curl);
  curl_easy_setopt(curl, CURLOPT_URL, url);
  // Only the web: a control file must not be able to point the client at local files. What
  // was asked for over HTTPS never goes on in clear text, where anyone between could answer.
  const bool secure = strncasecmp(url, "https://", 8) == 0;
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  if (request.ca_file != nullptr && *request.ca_file != '\0') {
    curl_easy_setopt(curl, CURLOPT_CAINFO, request.ca_file);
  }
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, request.agent != nullptr ? request.agent : "Varnholt");
  if (request.use_proxy && request.proxy_name != nullptr) {
    curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy_name);
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToSink);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

  CURLcode result = CURLE_OK;
  const eTransferEnd end = PerformWatched(multi, curl, request.watch, &result);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  // Where the transfer ended up: after a refused redirect, the address it was sent on to.
  char* effective = nullptr;
  curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
  const std::string redirected_to = effective != nullptr ? effective : "";
  cleanup();

  if (end == eTransferEnd::kStopped) return hv::UpdateStatus(hv::kDeclined);
  if (end == eTransferEnd::kTimedOut) {
    return DownloadFailed(hv::kTimedOut,
                          "ERROR: The update site stopped answering: %s (GetFileFromWebsite)", url);
  }
  if (sink.too_large) {
    return DownloadFailed(hv::kFileTooLarge,
                          "ERROR: The file at %s is larger than it may be (GetFileFromWebsite)",
                          url);
  }
  if (sink.failed && status == 200) {
    return DownloadFailed(
        hv::kCannotOpenFile,
        "ERROR: Unable to open local file %s while opening URL: %s (GetFileFromWebsite)",
        local_path, url);
  }
  if (const hv::Status refused = SafetyRefusal(secure, result, url, redirected_to); !refused.ok()) {
    return refused;
  }
  if (status == 0 || (result != CURLE_OK && status == 200)) {
    return DownloadFailed(hv::kNotFound, "ERROR: Unable to open URL: %s (GetFileFromWebsite)", url);
  }
  if (status != 200) {
    return DownloadFailed(hv::kHttpStatusNotOk,
                          "ERROR: Read failed while opening URL: %s (GetFileFromWebsite)", url);
  }
  if (!file.Commit()) {
    return DownloadFailed(
        hv::kCannotOpenFile,
        "ERROR: Unable to open local file %s while opening URL: %s (GetFileFromWebsite)",
        local_path, url);
  }
  return hv::UpdateStatus(hv::kOk);
}

cFtpConnection::cFtpConnection() = default;

cFtpConnection::~cFtpConnection() { Close(); }

void cFtpConnection::Close() {
  if (handle_ != nullptr) curl_easy_cleanup(static_cast<CURL*>(handle_));
  if (multi_ != nullptr) curl_multi_cleanup(static_cast<CURLM*>(multi_));
  handle_ = nullptr;
  multi_ = nullptr;
  open_ = false;
  base_url_.clear();
}

std::string cFtpConnection::UrlOf(const char* name) const {
  return base_url_ + EscapedPath(static_cast<CURL*>(handle_), name != nullptr ? name : "");
}

hv::Status cFtpConnection::Open(const char* host, int32_t port, const char* user,
                                const char* password, const char* directory,
                                const cTransferWatch& watch) {
  Close();
  if (!CurlReady()) return hv::UpdateStatus(hv::kCannotOpenSession);
  CURL* curl = curl_easy_init();
  CURLM* multi = curl_multi_init();
  handle_ = curl;
  multi_ = multi;
  if (curl == nullptr || multi == nullptr) {
    Close();
    return hv::UpdateStatus(hv::kCannotOpenSession);
  }

  std::string dir = directory != nullptr ? directory : "";
  std::string path;
  if (!dir.empty() && dir.front() == '/') {
    // "%2F" makes the first CWD absolute, as the directory is meant.
    path = "/%2F";
    dir.erase(0, 1);
  } else {
    path = "/";
  }
  while (!dir.empty() && dir.back() == '/') dir.pop_back();
  if (!dir.empty()) path += EscapedPath(curl, dir) + "/";
  base_url_ =
      "ftp://" + std::string(host != nullptr ? host : "") + ":" + std::to_string(port) + path;

  SetCommonOptions(curl);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(curl, CURLOPT_USERNAME, user != nullptr ? user : "");
  curl_easy_setopt(curl, CURLOPT_PASSWORD, password != nullptr ? password : "");
  curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
  // Logging in and changing to the directory is what a request of the directory itself does.
  curl_easy_setopt(curl, CURLOPT_URL, base_url_.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardData);
  CURLcode result = CURLE_OK;
  const eTransferEnd end = PerformWatched(multi, curl, watch, &result);
  if (end != eTransferEnd::kDone || result != CURLE_OK) {
    Close();
    return hv::UpdateStatus(end == eTransferEnd::kStopped ? hv::kDeclined : hv::kCannotOpenSession);
  }
  open_ = true;
  return hv::UpdateStatus(hv::kOk);
}

hv::Status cFtpConnection::RemoteSize(const char* name, bool* exists, uint64_t* size,
                                      const cTransferWatch& watch) {
  *exists = false;
  *size = 0;
  if (!open_) return hv::UpdateStatus(hv::kCannotOpenSession);
  CURL* curl = static_cast<CURL*>(handle_);
  const std::string url = UrlOf(name);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardData);
  CURLcode result = CURLE_OK;
  const eTransferEnd end = PerformWatched(static_cast<CURLM*>(multi_), curl, watch, &result);
  if (end == eTransferEnd::kStopped) return hv::UpdateStatus(hv::kDeclined);
  if (end == eTransferEnd::kTimedOut) return hv::UpdateStatus(hv::kCannotOpenSession);
  if (result == CURLE_REMOTE_FILE_NOT_FOUND || result == CURLE_FTP_COULDNT_RETR_FILE) {
    return hv::UpdateStatus(hv::kOk);
  }
  if (result != CURLE_OK) return hv::UpdateStatus(hv::kCannotOpenSession);
  curl_off_t length = -1;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  *exists = true;
  *size = length > 0 ? static_cast<uint64_t>(length) : 0;
  return hv::UpdateStatus(hv::kOk);
}

hv::Status cFtpConnection::Retrieve(const char* name, const char* local_path, uint64_t max_bytes,
                                    const cTransferWatch& watch) {
  if (!open_) return hv::UpdateStatus(hv::kDownloadFailed);
  cPartFile file(local_path != nullptr ? local_path : "");
  if (!file.IsOpen()) return hv::UpdateStatus(hv::kCannotOpenFile);
  cSink sink;
  sink.file = &file;
  sink.max_bytes = max_bytes;
  CURL* curl = static_cast<CURL*>(handle_);
  const std::string url = UrlOf(name);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToSink);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
  CURLcode result = CURLE_OK;
  const eTransferEnd end = PerformWatched(static_cast<CURLM*>(multi_), curl, watch, &result);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardData);
  if (end == eTransferEnd::kStopped) return hv::UpdateStatus(hv::kDeclined);
  if (end == eTransferEnd::kTimedOut) return hv::UpdateStatus(hv::kTimedOut);
  if (sink.too_large) return hv::UpdateStatus(hv::kFileTooLarge);
  if (result != CURLE_OK || sink.failed) return hv::UpdateStatus(hv::kDownloadFailed);
  if (!file.Commit()) return hv::UpdateStatus(hv::kCannotOpenFile);
  return hv::UpdateStatus(hv::kOk);
}

}  // namespace hv
