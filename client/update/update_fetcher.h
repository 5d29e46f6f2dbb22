// cUpdateFetcher: how the update engine reaches the update site. It fetches and reads a
// channel's control file, keeps the connection settings the control file gives (download
// type, web source, FTP host, folder, account), holds the one FTP connection, and brings a
// named file of the channel into a local file over the web or FTP, cut off at a size limit.
// Nothing it fetches is trusted here; the engine proves it.
#ifndef HV_CLIENT_UPDATE_UPDATE_FETCHER_H_
#define HV_CLIENT_UPDATE_UPDATE_FETCHER_H_

#include <cstdint>
#include <functional>
#include <string>

#include "client/update/control_file.h"
#include "client/update/download_item.h"
#include "client/update/transfer.h"
#include "client/update/update_constants.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cUpdateFetcher {
 public:
  // `watch` makes the watch of each transfer (progress hook, clock, limits); `site` must
  // outlive the fetcher. Every failure says in its message what went wrong.
  cUpdateFetcher(const cUpdateSite& site, std::function<cTransferWatch()> watch);
  cUpdateFetcher(const cUpdateFetcher&) = delete;
  cUpdateFetcher& operator=(const cUpdateFetcher&) = delete;

  // As cAutoUpdater's operations of the same names.
  hv::Status GetControlFile(const char* control_name, const char* site_address,
                            const char* local_directory);
  hv::Status ReadControlFile(const char* path);
  hv::Status GetFileFromWebsite(const char* url, const char* local_path, const char* agent,
                                bool use_proxy, const char* proxy_name);
  // Copies the control file's FTP values into the connection settings.
  void TakeConnectionSettings();
  hv::Status Connect();
  void Close();
  // Whether `name` is in the FTP folder with a size above 0.
  hv::Status CheckRemoteFlag(const char* name, bool* present);

  // Fetches the channel's `remote_name` into `local_path` (over the web or FTP, as the control
  // file says), at most `limit` bytes. Ok; kDownloadFailed, kUnknownDownloadType,
  // kFileTooLarge, kTimedOut (each with the transfer's words for the web), declined.
  hv::Status FetchFile(const std::string& remote_name, const std::string& local_path,
                       uint64_t limit);

  cDownloadItemList& Items() { return items_; }
  const cControlFileHeader& Header() const { return header_; }
  const swString& FtpPassword() const { return ftp_password_; }

 private:
  const cUpdateSite& site_;
  std::function<cTransferWatch()> watch_;
  cDownloadItemList items_;
  cControlFileHeader header_;
  swString control_file_url_ = "alphafiles.php";
  bool use_proxy_ = false;
  swString proxy_name_;

  cFtpConnection ftp_;
  swString ftp_directory_;
  swString ftp_host_;
  int32_t ftp_port_ = 21;
  swString ftp_user_;
  swString ftp_password_;
  std::string opened_with_;  // the settings the open connection was made with
};

// Control and version files are small; anything larger is not one.
constexpr uint64_t kMaxSmallFile = 16ull * 1024 * 1024;

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_UPDATE_FETCHER_H_
