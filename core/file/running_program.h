// Where the running program's file is, for programs that look for their helpers and data
// beside themselves.
#ifndef HV_CORE_FILE_RUNNING_PROGRAM_H_
#define HV_CORE_FILE_RUNNING_PROGRAM_H_

#include <string>

namespace hv {

// The absolute path of the running program's file (what /proc/self/exe names); empty when
// it cannot be read.
std::string RunningProgramPath();

}  // namespace hv

#endif  // HV_CORE_FILE_RUNNING_PROGRAM_H_
