#include "client/history/queue_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <random>

namespace hv::history {

namespace {

constexpr char kFileMagic[4] = {'H', 'V', 'Q', '1'};
constexpr char kRecordMagic[4] = {'H', 'V', 'Q', 'R'};
constexpr uint64_t kRecordHeader = 32;

void PutLe(uint8_t* at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLe(const uint8_t* at, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(at[i]) << (8 * i);
  return value;
}

bool WriteAt(int fd, const void* data, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = pwrite(fd, static_cast<const char*>(data) + done, size - done,
                       static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ReadAt(int fd, void* data, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n =
        pread(fd, static_cast<char*>(data) + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

uint64_t NewId() {
  std::random_device device;
  const uint64_t id =
      (static_cast<uint64_t>(device()) << 32) ^ device() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return id == 0 ? 1 : id;
}

}  // namespace

QueueJournal::~QueueJournal() {
  if (fd_ >= 0) close(fd_);
}

bool QueueJournal::Open(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  uint8_t header[kFirstRecord];
  if (ReadAt(fd_, header, sizeof header, 0) && std::equal(kFileMagic, kFileMagic + 4, header)) {
    id_ = GetLe(header + 8, 8);
    return true;
  }
  return Reset();  // new, or no queue of ours
}

bool QueueJournal::Reset() {
  id_ = NewId();
  uint8_t header[kFirstRecord] = {};
  std::copy(kFileMagic, kFileMagic + 4, header);
  PutLe(header + 8, id_, 8);
  if (ftruncate(fd_, 0) != 0 || !WriteAt(fd_, header, sizeof header, 0)) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

bool QueueJournal::Append(PendingRows* rows, uint64_t* end) {
  // The rows first, the header that makes them a record last: a record is whole or absent.
  const uint64_t at = *end;
  const bool session = rows->new_session;
  const auto samples = static_cast<uint32_t>(rows->samples());
  const auto entries = static_cast<uint32_t>(rows->log_rows());
  uint64_t sample_bytes = 0;
  uint64_t log_bytes = 0;
  if (!rows->SpillTo(fd_, at + kRecordHeader, &sample_bytes, &log_bytes)) return false;
  uint8_t header[kRecordHeader] = {};
  std::copy(kRecordMagic, kRecordMagic + 4, header);
  PutLe(header + 4, session ? 1 : 0, 4);
  PutLe(header + 8, samples, 4);
  PutLe(header + 12, entries, 4);
  PutLe(header + 16, sample_bytes, 8);
  PutLe(header + 24, log_bytes, 8);
  if (!WriteAt(fd_, header, sizeof header, at)) return false;
  *end = at + kRecordHeader + sample_bytes + log_bytes;
  return true;
}

void QueueJournal::Replay(uint64_t from,
                          const std::function<void(const PendingRows&, uint64_t)>& each,
                          size_t* lost) {
  *lost = 0;
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0) return;
  const auto size = static_cast<uint64_t>(info.st_size);
  uint64_t at = std::max(from, kFirstRecord);
  PendingRows rows;
  while (at + kRecordHeader <= size) {
    uint8_t header[kRecordHeader];
    if (!ReadAt(fd_, header, sizeof header, at) ||
        !std::equal(kRecordMagic, kRecordMagic + 4, header)) {
      return;  // the rest was never made a record
    }
    const uint64_t samples = GetLe(header + 8, 4);
    const uint64_t entries = GetLe(header + 12, 4);
    const uint64_t sample_bytes = GetLe(header + 16, 8);
    const uint64_t log_bytes = GetLe(header + 24, 8);
    const uint64_t body = at + kRecordHeader;
    if (sample_bytes > size - body || log_bytes > size - body - sample_bytes) {
      *lost += samples + entries;
      return;
    }
    std::string sample_part(sample_bytes, '\0');
    std::string log_part(log_bytes, '\0');
    if (!ReadAt(fd_, sample_part.data(), sample_part.size(), body) ||
        !ReadAt(fd_, log_part.data(), log_part.size(), body + sample_bytes) ||
        !rows.Load(std::move(sample_part), std::move(log_part), samples, entries)) {
      *lost += samples + entries;
      return;
    }
    rows.new_session = GetLe(header + 4, 4) & 1;
    at = body + sample_bytes + log_bytes;
    each(rows, at);
  }
}

}  // namespace hv::history
