// The control file of a release channel: eight header lines (what the channel's files are
// and where they lie) and then one line per file. The readers are strict about what ends
// the list, because a half-written line must never become an item.
#ifndef HV_CLIENT_UPDATE_CONTROL_FILE_H_
#define HV_CLIENT_UPDATE_CONTROL_FILE_H_

#include <cstdint>
#include <string>

#include "client/update/download_item.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

struct cControlFileHeader {
  swString file_version;      // read and not used
  int32_t download_type = 1;  // 1 web site, 2 FTP site
  swString main_source_path;
  swString ftp_site;
  swString ftp_main_dir;
  int32_t ftp_port = 21;
  swString ftp_user;
  int32_t ftp_password_index = 4;
};

constexpr int32_t kControlFileHeaderLines = 8;

// Reads `content` into the header and appends its items to `items`. Every status is the
// update engine's (Where::kUpdate): kNoValue when the text ends before a header line, with
// *failed_line set to that line (1-8); kOutOfMemory when an item cannot be listed. Items stop
// at the first line that is short, starts with 0, or does not end with a line end; what was
// read before stays.
[[nodiscard]] Status ParseControlFile(const std::string& content, cControlFileHeader* header,
                                      cDownloadItemList* items, int32_t* failed_line);

// The last-error text for a header line that could not be read (%s the path, %lx the code).
swString ControlFileErrorText(int32_t line, const char* path, int32_t status);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_CONTROL_FILE_H_
