#include "client/history/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace hv::history {

namespace {

bool Flock(int fd, int operation) {
  for (;;) {
    if (flock(fd, operation) == 0) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace

StoreLock::~StoreLock() {
  if (fd_ >= 0) close(fd_);
}

void StoreLock::Open(const std::string& store_path) {
  if (fd_ >= 0 || store_path.empty()) return;
  fd_ = open((store_path + "-lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

void StoreLock::LockShared() {
  if (shared_depth_++ == 0 && fd_ >= 0) Flock(fd_, LOCK_SH);
}

void StoreLock::UnlockShared() {
  if (--shared_depth_ == 0 && fd_ >= 0) Flock(fd_, LOCK_UN);
}

bool StoreLock::LockExclusive(int timeout_ms) {
  if (fd_ < 0) return true;
  // Other clients hold it shared only for a write at a time: poll rather than block, so a
  // client stuck in a long write cannot hold this one for ever.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (Flock(fd_, LOCK_EX | LOCK_NB)) return true;
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= until) {
      if (shared_depth_ > 0) Flock(fd_, LOCK_SH);  // a failed conversion may have dropped it
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void StoreLock::UnlockExclusive() {
  if (fd_ >= 0) Flock(fd_, shared_depth_ > 0 ? LOCK_SH : LOCK_UN);
}

}  // namespace hv::history
