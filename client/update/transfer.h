// The two ways update files travel, over libcurl: an HTTP(S) GET into a local file, and an
// FTP connection that stays open between requests (one easy handle, reused). A download
// first lands in a temporary file beside its target and replaces the target only when it
// is complete, so a failed transfer never leaves a half file where a good one was.
//
// A transfer never blocks for long: it waits on the network in short slices and between
// them calls `progress` with the bytes received so far, so the caller can pump its window
// (which stays responsive) and stop the transfer by returning false, which takes effect at
// once. It also ends a transfer that takes longer than its deadline, or that receives
// nothing for the stall time, measured on the caller's clock.
#ifndef HV_CLIENT_UPDATE_TRANSFER_H_
#define HV_CLIENT_UPDATE_TRANSFER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cClock;

using cTransferProgress = std::function<bool(uint64_t bytes_received)>;

// No single published file is larger than this; a server that sends more is cut off.
constexpr uint64_t kMaxTransferBytes = 512ull * 1024 * 1024;

// How long one transfer may take, and how long it may receive nothing.
struct cTransferLimits {
  uint32_t deadline_ms = 30u * 60u * 1000u;
  uint32_t stall_ms = 60u * 1000u;
};

// What watches a transfer while it runs. `clock` null: the system's monotonic clock.
struct cTransferWatch {
  cTransferProgress progress;
  const cClock* clock = nullptr;
  cTransferLimits limits;
};

struct cWebRequest {
  const char* url = "";
  const char* local_path = "";
  const char* agent = "Varnholt";
  bool use_proxy = false;
  const char* proxy_name = "";
  // A larger file is cut off as soon as it passes this size, not after it is whole.
  uint64_t max_bytes = kMaxTransferBytes;
  cTransferWatch watch;
  // Certificates to trust instead of the system's (a site with a private authority); empty
  // for the system's.
  const char* ca_file = "";
};

// GET of the URL into the local file; the status is from Where::kUpdate, and a failure's
// message is the download's error text. Ok; kNotFound when the URL cannot be reached
// ("ERROR: Unable to open URL: %s (GetFileFromWebsite)"); kHttpStatusNotOk for
// any status but 200 ("ERROR: Read failed while opening URL: ..."), also for an HTTPS address
// that redirects to one that is not HTTPS ("ERROR: The update site at %s sent the download
// on to %s, which is not HTTPS ..."); kNotFound also for a certificate that cannot be trusted
// ("ERROR: The certificate of %s cannot be trusted ..."); kCannotOpenFile when
// the local file cannot be made ("ERROR: Unable to open local file %s while opening URL:
// ..."); kFileTooLarge past max_bytes; kTimedOut past the deadline or the stall time;
// declined when the progress hook stopped it; kSessionOutOfMemory when no transfer can be
// set up.
hv::Status FetchWebFile(const cWebRequest& request);

// One FTP connection. Not copyable; Close (or destruction) ends it.
class cFtpConnection {
 public:
  cFtpConnection();
  ~cFtpConnection();
  cFtpConnection(const cFtpConnection&) = delete;
  cFtpConnection& operator=(const cFtpConnection&) = delete;

  // Logs in and changes to `directory` (absolute when it starts with '/'). Ok, declined
  // (stopped by the watch's progress hook), or kCannotOpenSession. Later requests go over
  // the same connection while it lasts.
  hv::Status Open(const char* host, int32_t port, const char* user, const char* password,
                  const char* directory, const cTransferWatch& watch);
  bool IsOpen() const { return open_; }
  void Close();

  // The size of a file in the directory. Ok (*exists false when there is no such file);
  // declined when stopped; kCannotOpenSession when the server cannot be asked.
  hv::Status RemoteSize(const char* name, bool* exists, uint64_t* size,
                        const cTransferWatch& watch);
  // RETR of `name` (relative to the directory, '/' separated) into local_path, binary.
  // Ok; kDownloadFailed, kFileTooLarge, kTimedOut, declined, or kCannotOpenFile when the local
  // file cannot be made.
  hv::Status Retrieve(const char* name, const char* local_path, uint64_t max_bytes,
                      const cTransferWatch& watch);

 private:
  std::string UrlOf(const char* name) const;

  void* handle_ = nullptr;  // CURL*
  void* multi_ = nullptr;   // CURLM*: holds the open connection between requests
  bool open_ = false;
  std::string base_url_;  // ftp://host:port/dir/
};

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_TRANSFER_H_
