// A command file monitor with every stored field away from its default: the monitor of the
// settings file the golden test pins, and of the fuzzer's seed that starts from that file.
#ifndef HV_CLIENT_CMDFILE_TESTING_PINNED_MONITOR_H_
#define HV_CLIENT_CMDFILE_TESTING_PINNED_MONITOR_H_

#include "client/cmdfile/monitor_command_file.h"

namespace hv {

namespace test {

inline void SetPinnedMonitor(cMonitorCommandFile* monitor) {
  monitor->enabled = 1;
  monitor->monitor_type = 0;
  monitor->monitored_directory = "/home/ann/inbox";
  monitor->file_name = "VHCmd.txt";
  monitor->start_time = 1700000000;
  monitor->interval = 5;
  monitor->interval_unit = 3;
  monitor->action_when_done = 1;
  monitor->processed_directory = "/home/ann/done";
  monitor->create_response_file = 1;
  monitor->append = 1;
  monitor->response_file_name = "/home/ann/VHCmdResponse.txt";
}

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_TESTING_PINNED_MONITOR_H_
