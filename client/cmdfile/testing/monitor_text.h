// The command file monitor's settings as one line of text with every stored field named, so
// that a test compares a whole monitor at once and a failure shows which fields differ.
#ifndef HV_CLIENT_CMDFILE_TESTING_MONITOR_TEXT_H_
#define HV_CLIENT_CMDFILE_TESTING_MONITOR_TEXT_H_

#include <sstream>
#include <string>

#include "client/cmdfile/monitor_command_file.h"

namespace hv {

namespace test {

inline std::string MonitorText(const cMonitorCommandFile& m) {
  std::ostringstream text;
  text << "enabled " << m.enabled << ", type " << m.monitor_type << ", folder "
       << m.monitored_directory.CStr() << ", file " << m.file_name.CStr() << ", start "
       << m.start_time << ", every " << m.interval << " unit " << m.interval_unit << ", when done "
       << m.action_when_done << ", processed " << m.processed_directory.CStr() << ", response "
       << m.create_response_file << ", append " << m.append << ", to "
       << m.response_file_name.CStr();
  return text.str();
}

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_TESTING_MONITOR_TEXT_H_
