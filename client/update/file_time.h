// Windows FILETIME values (100 ns units since 1601-01-01 UTC), as control files give file
// times, set on local files.
#ifndef HV_CLIENT_UPDATE_FILE_TIME_H_
#define HV_CLIENT_UPDATE_FILE_TIME_H_

#include <time.h>

#include <cstdint>

#include "core/status.h"

namespace hv {

// The moment as a timespec; times before 1970 are held at 1970.
timespec FileTimeToTimespec(uint32_t high, uint32_t low);

// Sets the file's last access and last write times (the only ones this platform lets a
// program set). Fails with kCannotOpenFile (Where::kUpdate) when the system refuses, the
// message naming the file and the system's reason.
[[nodiscard]] Status SetFileTimes(const char* path, uint32_t high, uint32_t low);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_FILE_TIME_H_
