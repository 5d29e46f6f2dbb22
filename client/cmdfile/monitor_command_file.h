// cMonitorCommandFile: the command file monitor's settings, as stored in the settings file
// (class id 4001, stored form version 2). The poll that acts on them is built on this class
// elsewhere; this class holds the fields, their defaults and their stored form.
#ifndef HV_CLIENT_CMDFILE_MONITOR_COMMAND_FILE_H_
#define HV_CLIENT_CMDFILE_MONITOR_COMMAND_FILE_H_

#include <cstdint>

#include "core/storable.h"
#include "core/string/sw_string.h"

namespace hv {

class cMonitorCommandFile : public swStorable {
 public:
  // Version 2 of the stored form added `append`.
  static constexpr uint16_t kStoredFormVersion = 2;

  // Every field at its default; the start time is now.
  cMonitorCommandFile();

  uint16_t ClassId() const override { return kClassMonitorCommandFile; }
  // The fields in declaration order, each a value of version 1 except `append` (version 2).
  // A read gives a missing value its default (0 for the start time; strings keep theirs), so a
  // file written before `append` existed reads it as 0. Ok when every value was transferred,
  // else kArchiveSerializeFailed (also when the archive is not open).
  hv::Status Serialize(swSerializer& archive) override;

  // A new default instance for an archive's class registry; null when out of memory.
  static swStorable* Create();
  // The defaults that stand for the system drive's root: the user's home folder, and the
  // response file "VHCmdResponse.txt" in it.
  static swString DefaultMonitoredDirectory();
  static swString DefaultResponseFileName();

  uint16_t enabled = 1;
  uint32_t monitor_type = 0;  // 0 "Polling", 1 "Windows Notification (Instant)"
  swString monitored_directory;
  swString file_name = "VHCmd.txt";
  uint32_t start_time = 0;  // seconds since 1970
  uint32_t interval = 5;
  uint32_t interval_unit = 2;     // "Tenths of Seconds"
  uint32_t action_when_done = 0;  // 0 "Delete", 1 "Move to Processed Directory"
  swString processed_directory;
  uint16_t create_response_file = 1;
  uint16_t append = 0;
  swString response_file_name;
};

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_MONITOR_COMMAND_FILE_H_
