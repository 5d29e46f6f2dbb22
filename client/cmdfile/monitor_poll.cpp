#include "client/cmdfile/monitor_poll.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "client/cmdfile/monitor_command_file.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/command_file_request.h"
#include "client/protocol/log_item_record.h"
#include "core/file/file_replace.h"
#include "core/status.h"
#include "core/system_error.h"

namespace hv {

namespace {

constexpr const char* kEntryName = "Command file";

void ReportError(cActivityLog* log, const swString& message) {
  if (log == nullptr) return;
  // Stored as well as shown: the user may only open the window later.
  AddLogEntryOrDrop(*log, MakeClientError(kEntryName, message.CStr()), true, true);
}

// The reason the commands were not carried out, for the entry and the response file.
void ReportNotSent(const cCommandFileWatch& watch, const swString& path, const char* reason,
                   cActivityLog* log) {
  swString message;
  message.Format("Command file %s was not sent: %s", path.CStr(), reason);
  ReportError(log, message);
  if (!watch.create_response_file || watch.response_file_name.GetLength() == 0) return;
  swString response;
  response.Format(
      "ERROR the command file %s was not sent to the server (%s); no command was "
      "run\r\n",
      path.CStr(), reason);
  const Status written =
      ReplaceFileWithBytes(watch.response_file_name.CStr(), response.CStr(), response.GetLength());
  if (written.failed()) {
    swString failure;
    failure.Format("Unable to write the response file %s (%s)", watch.response_file_name.CStr(),
                   written.message().c_str());
    ReportError(log, failure);
  }
}

}  // namespace

cCommandFileWatch CommandFileWatchOf(const cMonitorCommandFile& monitor) {
  cCommandFileWatch watch;
  watch.enabled = monitor.enabled == 1;
  watch.monitored_directory = monitor.monitored_directory;
  watch.file_name = monitor.file_name;
  watch.move_to_processed = monitor.action_when_done == 1;
  watch.processed_directory = monitor.processed_directory;
  watch.create_response_file = monitor.create_response_file == 1;
  watch.response_file_name = monitor.response_file_name;
  return watch;
}

swString CommandFilePath(const swString& directory, const swString& file_name) {
  std::string path = directory.CStr();
  if (!path.empty() && path.back() != '/') path += '/';
  path += file_name.CStr();
  return swString(path.c_str());
}

bool cCommandFilePoller::Identity::operator==(const Identity& other) const {
  return valid && other.valid && device == other.device && inode == other.inode &&
         size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec;
}

cCommandFilePoller::Identity cCommandFilePoller::IdentityOf(const char* path) {
  Identity identity;
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return identity;
  identity.valid = true;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = info.st_size;
  identity.modified = info.st_mtim;
  return identity;
}

Status cCommandFilePoller::Poll(const cCommandFileWatch& watch, cRemoteClientSocket* socket,
                                cActivityLog* log) {
  const Status nothing_to_do = Status::Declined(Where::kCommandFile);
  if (!watch.enabled || watch.file_name.GetLength() == 0) return nothing_to_do;
  swString path = CommandFilePath(watch.monitored_directory, watch.file_name);

  Identity now = IdentityOf(path.CStr());
  if (!now.valid) {
    last_seen_ = Identity();
    left_in_place_ = Identity();
    return nothing_to_do;
  }
  if (now == left_in_place_) return nothing_to_do;
  left_in_place_ = Identity();
  bool settled = now == last_seen_;
  last_seen_ = now;
  if (!settled) return nothing_to_do;

  int fd = open(path.CStr(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status(Where::kCommandFile, hv::kCannotOpenFile, path.CStr());
  close(fd);
  last_seen_ = Identity();

  const char* response = watch.create_response_file ? watch.response_file_name.CStr() : "";
  if (socket == nullptr) {
    ReportNotSent(watch, path, "not connected to the server", log);
  } else {
    const Status sent = SendCommandFile(socket, path.CStr(), response);
    if (sent.Is(Where::kProtocol, hv::kBlockFull)) {
      // Only an older server, which takes every block for a whole message, refuses a file
      // this way; nothing of it has been sent.
      ReportNotSent(watch, path,
                    "the file is too large for this server, which takes a command file only "
                    "in one block of at most 64 KB",
                    log);
    } else if (sent.failed()) {
      swString reason;
      reason.Format("the request could not be sent, status 0x%08X",
                    static_cast<uint32_t>(sent.code()));
      ReportNotSent(watch, path, reason.CStr(), log);
    }
  }

  if (!RemoveHandledFile(watch, path, log)) left_in_place_ = IdentityOf(path.CStr());
  return Status::Ok();
}

bool cCommandFilePoller::RemoveHandledFile(const cCommandFileWatch& watch, const swString& path,
                                           cActivityLog* log) {
  if (watch.move_to_processed) {
    swString message;
    const swString& folder = watch.processed_directory;
    if (folder.GetLength() == 0) {
      message.Format("Command file %s was left in place: no processed directory is set",
                     path.CStr());
    } else if (SameFile(folder.CStr(), watch.monitored_directory.CStr())) {
      message.Format(
          "Command file %s was left in place: the processed directory is the "
          "monitored directory",
          path.CStr());
    } else {
      swString target = CommandFilePath(folder, watch.file_name);
      bool copied_only = false;
      const Status moved = MoveFileReplacing(path.CStr(), target.CStr(), &copied_only);
      if (moved.ok()) return true;
      // Kept rather than deleted when the copy failed: it is the only copy of the commands.
      message.Format(copied_only ? "Command file %s was copied to %s but could not be deleted (%s)"
                                 : "Command file %s could not be moved to %s (%s); it was left "
                                   "in place",
                     path.CStr(), target.CStr(), moved.message().c_str());
    }
    ReportError(log, message);
    return false;
  }
  if (unlink(path.CStr()) == 0) return true;
  const int reason = errno;
  swString message;
  message.Format("Command file %s could not be deleted (%s); it is not sent again until it changes",
                 path.CStr(), SystemReason(reason).c_str());
  ReportError(log, message);
  return false;
}

}  // namespace hv
