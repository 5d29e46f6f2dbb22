#include "client/update/file_time.h"
#include "core/system_error.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace hv {

namespace {

// 1601-01-01 to 1970-01-01 in 100 ns units.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;

}  // namespace

timespec FileTimeToTimespec(uint32_t high, uint32_t low) {
  const uint64_t ticks = static_cast<uint64_t>(high) << 32 | low;
  timespec moment{};
  if (ticks <= kUnixEpochAsFileTime) return moment;
  const uint64_t since_epoch = ticks - kUnixEpochAsFileTime;
  moment.tv_sec = static_cast<time_t>(since_epoch / kTicksPerSecond);
  moment.tv_nsec = static_cast<long>(since_epoch % kTicksPerSecond * 100);
  return moment;
}

Status SetFileTimes(const char* path, uint32_t high, uint32_t low) {
  const timespec moment = FileTimeToTimespec(high, low);
  const timespec times[2] = {moment, moment};
  if (utimensat(AT_FDCWD, path, times, 0) == 0) return Status::Ok();
  return SystemError(Where::kUpdate, std::string("the times of ") + path + " cannot be set", errno,
                     kCannotOpenFile);
}

}  // namespace hv
