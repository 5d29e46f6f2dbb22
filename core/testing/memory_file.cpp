#include "core/testing/memory_file.h"

#include <algorithm>
#include <cstring>

namespace hv {

uint32_t swMemoryFile::Read(void* buffer, uint32_t count) {
  if (position_ >= bytes_.size()) return 0;
  uint64_t n = std::min<uint64_t>(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return static_cast<uint32_t>(n);
}

uint32_t swMemoryFile::Write(const void* buffer, uint32_t count) {
  uint64_t allowed = write_limit_ > written_ ? write_limit_ - written_ : 0;
  uint64_t n = std::min<uint64_t>(count, allowed);
  if (position_ + n > bytes_.size()) bytes_.resize(position_ + n);
  if (n > 0) std::memcpy(bytes_.data() + position_, buffer, n);
  position_ += n;
  written_ += n;
  return static_cast<uint32_t>(n);
}

hv::Status swMemoryFile::Seek(uint64_t offset) {
  if (offset > bytes_.size()) return hv::Status::Failure(hv::Where::kFile, "past the end");
  position_ = offset;
  return hv::Status::Ok();
}

}  // namespace hv
