// cCommandFilePoller: one look at the command file per timer tick. A file found in the
// monitored folder is sent to the server whole (Send command file), then deleted or moved to
// the processed folder; the server's answer arrives later as a Command response.
//
// Files are only sent once they have stopped changing: a file is taken on the first tick
// that finds its size and modification time the same as the tick before (locks are only
// advisory here, so a writer cannot be seen any other way). The poller keeps that one
// observation between ticks, and remembers a file it handled but could not remove, so its
// commands are not carried out twice.
//
// Commands that cannot reach the server (no connection, failed send) still have their file
// removed, as the programs that drop them expect; the failure is written to the activity log
// and, when a response file is wanted, to the response file. A server that speaks the short
// header form takes only a file that fits one block; a larger one is refused whole, never
// sent in pieces that server would take for separate messages.
#ifndef HV_CLIENT_CMDFILE_MONITOR_POLL_H_
#define HV_CLIENT_CMDFILE_MONITOR_POLL_H_

#include <sys/types.h>

#include <cstdint>
#include <ctime>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cActivityLog;
class cMonitorCommandFile;
class cRemoteClientSocket;

// What the poll needs of the monitor's settings.
struct cCommandFileWatch {
  bool enabled = true;
  swString monitored_directory;
  swString file_name;
  bool move_to_processed = false;  // action when done: false delete, true move
  swString processed_directory;
  bool create_response_file = true;
  swString response_file_name;
};

// The poll's view of the monitor's stored settings.
cCommandFileWatch CommandFileWatchOf(const cMonitorCommandFile& monitor);

// The command file's path: the directory, a '/' unless it already ends in one, the name.
swString CommandFilePath(const swString& directory, const swString& file_name);

class cCommandFilePoller {
 public:
  // Declined when monitoring is disabled, no file is there, or it is still changing (or was
  // already handled); ok after a file was handled; kCannotOpenFile when it exists but cannot
  // be read (it stays, and the next tick tries again). `socket` null means not connected.
  // `log` (optional) receives the failure entries.
  [[nodiscard]] Status Poll(const cCommandFileWatch& watch, cRemoteClientSocket* socket,
                            cActivityLog* log);

 private:
  struct Identity {
    bool valid = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const Identity& other) const;
  };

  static Identity IdentityOf(const char* path);
  // Removes the handled file (move or delete); false when it is still there.
  bool RemoveHandledFile(const cCommandFileWatch& watch, const swString& path, cActivityLog* log);

  Identity last_seen_;
  Identity left_in_place_;
};

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_MONITOR_POLL_H_
