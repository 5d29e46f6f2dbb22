#include "core/archive/sw_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "core/string/clock_text.h"
#include "core/system_error.h"

namespace hv {

namespace {

hv::Status NotOpen() { return hv::Status::Failure(hv::Where::kFile, "the file is not open"); }

hv::Status Refused(const char* what, int error) {
  return hv::SystemError(hv::Where::kFile, what, error);
}

}  // namespace

swFile::~swFile() { Close(); }

hv::Status swFile::Open(const char* path, uint32_t mode) {
  using hv::Status;
  using hv::Where;
  if (IsOpen()) return Status(Where::kFile, kFileAlreadyOpen, "already open");
  int flags = 0;
  switch (mode & 3) {
    case kFileRead: flags = O_RDONLY; break;
    case kFileWrite: flags = O_WRONLY; break;
    case kFileReadWrite: flags = O_RDWR; break;
    default: return Status(Where::kFile, kFileBadAccess, "bad access bits");
  }
  uint32_t share = mode & 0x70;
  if (share > kFileShareReadWrite) return Status(Where::kFile, kFileBadShare, "bad share bits");
  if (path == nullptr || *path == '\0') {
    return Status(Where::kFile, kFileRefused, "no file name");
  }
  if (mode & kFileCreate) flags |= (mode & kFileKeepExisting) ? O_CREAT : (O_CREAT | O_TRUNC);
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return Status(Where::kFile, kFileRefused,
                  "\"" + std::string(path) + "\" cannot be opened: " + SystemReason(errno));
  }
  fd_ = fd;
  share_ = share;
  path_ = path;
  return Status::Ok();
}

void swFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

uint32_t swFile::Read(void* buffer, uint32_t count) {
  if (!IsOpen()) return 0;
  uint32_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint32_t>(n);
  }
  return done;
}

uint32_t swFile::Write(const void* buffer, uint32_t count) {
  if (!IsOpen()) return 0;
  uint32_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint32_t>(n);
  }
  return done;
}

hv::Status swFile::Seek(uint64_t offset) {
  if (!IsOpen()) return NotOpen();
  if (offset > static_cast<uint64_t>(INT64_MAX)) {
    return hv::Status::Failure(hv::Where::kFile, "the offset is past any file");
  }
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) {
    return Refused("cannot seek", errno);
  }
  return hv::Status::Ok();
}

uint64_t swFile::Tell() const {
  if (!IsOpen()) return 0;
  off_t at = ::lseek(fd_, 0, SEEK_CUR);
  return at < 0 ? 0 : static_cast<uint64_t>(at);
}

uint64_t swFile::Size() const {
  struct stat st;
  if (!IsOpen() || ::fstat(fd_, &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

hv::Status swFile::Sync() {
  if (!IsOpen()) return NotOpen();
  if (::fsync(fd_) != 0) {
    return Refused("cannot be synced", errno);
  }
  return hv::Status::Ok();
}

hv::Status swFile::GetTime(swFileTime* time) const {
  if (time == nullptr) return hv::Status(hv::Where::kFile, hv::kMissingArgument);
  if (!IsOpen()) return NotOpen();
  struct stat st;
  if (::fstat(fd_, &st) != 0) return Refused("cannot be examined", errno);
  struct tm local;
  if (::localtime_r(&st.st_mtim.tv_sec, &local) == nullptr) {
    return hv::Status::Failure(hv::Where::kFile, "its time is not a local date");
  }
  time->year = local.tm_year + 1900;
  time->month = local.tm_mon + 1;
  time->day = local.tm_mday;
  time->hour = local.tm_hour;
  time->minute = local.tm_min;
  time->second = local.tm_sec;
  return hv::Status::Ok();
}

hv::Status swFile::SetTime(const swFileTime& time) {
  if (!IsOpen()) return NotOpen();
  struct tm local =
      CalendarFields(time.year, time.month, time.day, time.hour, time.minute, time.second);
  local.tm_isdst = -1;
  time_t when = ::mktime(&local);
  if (when == static_cast<time_t>(-1)) {
    return hv::Status::Failure(hv::Where::kFile, "the time is not a local date");
  }
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // the access time stays as it is
  times[1].tv_sec = when;
  times[1].tv_nsec = 0;
  if (::futimens(fd_, times) != 0) {
    return Refused("its time cannot be set", errno);
  }
  return hv::Status::Ok();
}

}  // namespace hv
