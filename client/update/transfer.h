// The two ways update files travel, over libcurl: an HTTP(S) GET into a local file, and an
// FTP connection that stays open between requests (one easy handle, reused). A download
// first lands in a temporary file beside its target and replaces the target only when it
// is complete, so a failed transfer never leaves a half file where a good one was.
//
// `progress` (optional) is called with the bytes received so far during a transfer, often,
// also while nothing arrives: the caller pumps its window there so it stays responsive. It
// returns false to stop the transfer (which then fails).
#ifndef HV_CLIENT_UPDATE_TRANSFER_H_
#define HV_CLIENT_UPDATE_TRANSFER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "core/string/sw_string.h"

namespace hv {

using cTransferProgress = std::function<bool(uint64_t bytes_received)>;

// No single published file is larger than this; a server that sends more is cut off.
constexpr uint64_t kMaxTransferBytes = 512ull * 1024 * 1024;

struct cWebRequest {
  const char* url = "";
  const char* local_path = "";
  const char* agent = "Varnholt";
  bool use_proxy = false;
  const char* proxy_name = "";
  uint64_t max_bytes = kMaxTransferBytes;
  cTransferProgress progress;
};

// GET of the URL into the local file. 0; kNotFound when the URL cannot be reached
// (*error_text "ERROR: Unable to open URL: %s (GetFileFromWebsite)"); kHttpStatusNotOk for
// any status but 200 ("ERROR: Read failed while opening URL: ..."); kCannotOpenFile when
// the local file cannot be made ("ERROR: Unable to open local file %s while opening URL:
// ..."); kSessionOutOfMemory when no transfer can be set up. error_text may be null.
[[nodiscard]] int32_t FetchWebFile(const cWebRequest& request, swString* error_text);

// One FTP connection. Not copyable; Close (or destruction) ends it.
class cFtpConnection {
 public:
  cFtpConnection();
  ~cFtpConnection();
  cFtpConnection(const cFtpConnection&) = delete;
  cFtpConnection& operator=(const cFtpConnection&) = delete;

  // Logs in and changes to `directory` (absolute when it starts with '/'). 0, or
  // kCannotOpenSession. Later requests go over the same connection while it lasts.
  [[nodiscard]] int32_t Open(const char* host, int32_t port, const char* user, const char* password,
                             const char* directory);
  bool IsOpen() const { return open_; }
  void Close();

  // The size of a file in the directory. 0 with *exists false when there is no such file;
  // kCannotOpenSession when the server cannot be asked.
  [[nodiscard]] int32_t RemoteSize(const char* name, bool* exists, uint64_t* size);
  // RETR of `name` (relative to the directory, '/' separated) into local_path, binary.
  // 0, kDownloadFailed, or kCannotOpenFile when the local file cannot be made.
  [[nodiscard]] int32_t Retrieve(const char* name, const char* local_path, uint64_t max_bytes,
                                 const cTransferProgress& progress);

 private:
  std::string UrlOf(const char* name) const;

  void* handle_ = nullptr;  // CURL*
  bool open_ = false;
  std::string base_url_;  // ftp://host:port/dir/
};

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_TRANSFER_H_
