#include "client/protocol/gathered_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/status.h"

namespace hv {

namespace {

// The one failure of a file that cannot be made or written (a full disk, a folder gone).
Status CannotWrite() { return Status(Where::kFile, hv::kCannotOpenFile); }

}  // namespace

cGatheredFile::~cGatheredFile() {
  if (fd_ >= 0) ::close(fd_);
}

void cGatheredFile::Adopt(int fd) {
  if (fd_ >= 0) ::close(fd_);
  DropHeld();
  fd_ = fd;
  trim_at_close_ = false;
  written_end_ = 0;
}

void cGatheredFile::AdoptForOverwrite(int fd) {
  Adopt(fd);
  trim_at_close_ = true;
}

Status cGatheredFile::CreateFresh(const char* path) {
  Adopt(-1);
  if (path == nullptr) return Status(Where::kFile, hv::kMissingArgument);
  // Removing first instead of truncating: a new file needs no truncation (see the header),
  // and whatever was planted at the name is replaced rather than written through.
  if (::unlink(path) != 0 && errno != ENOENT) return CannotWrite();
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return CannotWrite();
  fd_ = fd;
  return Status();
}

Status cGatheredFile::OpenForAppend(const char* path) {
  Adopt(-1);
  if (path == nullptr) return Status(Where::kFile, hv::kMissingArgument);
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return CannotWrite();
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    ::close(fd);
    return CannotWrite();
  }
  fd_ = fd;
  written_end_ = static_cast<uint64_t>(status.st_size);
  return Status();
}

Status cGatheredFile::Write(const uint8_t* data, uint32_t n) {
  if (fd_ < 0) return CannotWrite();
  if (Status written = WriteHeldUpTo(written_end_ + held_bytes_); !written.ok()) return written;
  while (n > 0) {
    const ssize_t written = ::write(fd_, data, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      return CannotWrite();
    }
    data += written;
    n -= static_cast<uint32_t>(written);
    written_end_ += static_cast<uint64_t>(written);
  }
  return Status();
}

Status cGatheredFile::WriteHeld(std::unique_ptr<uint8_t[]>* buffer, uint32_t* capacity,
                                uint32_t offset, uint32_t count) {
  if (fd_ < 0) return CannotWrite();
  if (count == 0) return Status();
  if (held_count_ == kMaxHeld) return CannotWrite();  // an earlier write failed
  sHeldChunk& chunk = held_[held_count_++];
  chunk.buffer = std::move(*buffer);
  chunk.capacity = *capacity;
  chunk.data = chunk.buffer.get() + offset;
  chunk.size = count;
  held_bytes_ += count;
  *capacity = 0;
  if (spare_count_ > 0) {
    sHeldChunk& spare = spare_[--spare_count_];
    *buffer = std::move(spare.buffer);
    *capacity = spare.capacity;
  }

  const uint64_t end = written_end_ + held_bytes_;
  const uint64_t boundary = end / kWriteUnit * kWriteUnit;
  if (held_count_ == kMaxHeld) return WriteHeldUpTo(end);
  if (boundary > written_end_) return WriteHeldUpTo(boundary);
  return Status();
}

Status cGatheredFile::WriteHeldUpTo(uint64_t end) {
  while (written_end_ < end && held_count_ > 0) {
    std::array<iovec, kMaxHeld> pieces{};
    int piece_count = 0;
    uint64_t wanted = end - written_end_;
    for (size_t i = 0; i < held_count_ && wanted > 0; ++i) {
      const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(held_[i].size, wanted));
      pieces[static_cast<size_t>(piece_count++)] = {const_cast<uint8_t*>(held_[i].data), take};
      wanted -= take;
    }
    const ssize_t written = ::writev(fd_, pieces.data(), piece_count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return CannotWrite();
    written_end_ += static_cast<uint64_t>(written);
    held_bytes_ -= static_cast<uint64_t>(written);
    // Past the written bytes: chunks written whole go back to the blocks, the first one
    // left moves to the front.
    auto left = static_cast<uint64_t>(written);
    size_t done = 0;
    while (done < held_count_ && left >= held_[done].size) {
      left -= held_[done].size;
      Recycle(held_[done]);
      ++done;
    }
    if (done < held_count_) {
      held_[done].data += left;
      held_[done].size -= static_cast<uint32_t>(left);
    }
    std::move(held_.begin() + static_cast<std::ptrdiff_t>(done),
              held_.begin() + static_cast<std::ptrdiff_t>(held_count_), held_.begin());
    held_count_ -= done;
  }
  return Status();
}

void cGatheredFile::Recycle(sHeldChunk& chunk) {
  if (spare_count_ < spare_.size()) {
    sHeldChunk& spare = spare_[spare_count_++];
    spare.buffer = std::move(chunk.buffer);
    spare.capacity = chunk.capacity;
  }
  chunk.buffer.reset();
  chunk.capacity = 0;
  chunk.data = nullptr;
  chunk.size = 0;
}

void cGatheredFile::DropHeld() {
  for (size_t i = 0; i < held_count_; ++i) held_[i] = sHeldChunk{};
  held_count_ = 0;
  held_bytes_ = 0;
}

Status cGatheredFile::Close() {
  if (fd_ < 0) return Status();
  bool written = WriteHeldUpTo(written_end_ + held_bytes_).ok();
  DropHeld();
  if (written && trim_at_close_ && ::ftruncate(fd_, static_cast<off_t>(written_end_)) != 0) {
    written = false;
  }
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 && written ? Status() : CannotWrite();
}

void cGatheredFile::Discard() {
  DropHeld();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace hv
