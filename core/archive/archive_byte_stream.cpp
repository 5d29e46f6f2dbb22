#include "core/archive/archive_byte_stream.h"

#include <algorithm>

#include "core/serializer.h"

namespace hv {

void ArchiveByteStream::Bind(swFileBase* file, const uint8_t* key, uint32_t key_length) {
  file_ = file;
  key_.assign(key, key != nullptr ? key + key_length : key);
  scrambled_count_ = 0;
  scrambling_ = false;
  io_.clear();
  io_at_ = 0;
  position_ = file->Tell();
  end_ = file->Size();
}

void ArchiveByteStream::Release(bool storing) {
  if (file_ == nullptr) return;
  if (storing && status_ == 0) Flush();
  // Whoever reads on would start in the wrong place when the file cannot be put back.
  if (!storing && io_at_ < io_.size() && !file_->Seek(position_).ok()) Fail(kArchiveShortRead);
  io_.clear();
  io_at_ = 0;
  std::fill(key_.begin(), key_.end(), 0);
  key_.clear();
  file_ = nullptr;
}

bool ArchiveByteStream::Fail(int16_t status) {
  if (status_ == 0) status_ = status;
  return false;
}

// The stored byte is (c + (b XOR (k OR c))) mod 256, with c the low byte of the count of bytes
// scrambled so far and k the key byte at position c mod key length.
void ArchiveByteStream::Scramble(uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t c = static_cast<uint8_t>(scrambled_count_);
    uint8_t k = key_[c % key_.size()];
    bytes[i] = static_cast<uint8_t>(c + (bytes[i] ^ (k | c)));
    ++scrambled_count_;
  }
}

void ArchiveByteStream::Unscramble(uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t c = static_cast<uint8_t>(scrambled_count_);
    uint8_t k = key_[c % key_.size()];
    bytes[i] = static_cast<uint8_t>(static_cast<uint8_t>(bytes[i] - c) ^ (k | c));
    ++scrambled_count_;
  }
}

bool ArchiveByteStream::Put(const void* data, uint32_t count) {
  if (status_ != 0) return false;
  const auto* in = static_cast<const uint8_t*>(data);
  while (count > 0) {
    uint32_t n = std::min<uint32_t>(count, kBufferSize - static_cast<uint32_t>(io_.size()));
    size_t at = io_.size();
    io_.insert(io_.end(), in, in + n);
    if (scrambling_) Scramble(io_.data() + at, n);
    in += n;
    count -= n;
    if (io_.size() >= kBufferSize && !Flush()) return false;
  }
  return true;
}

bool ArchiveByteStream::Flush() {
  if (io_.empty()) return status_ == 0;
  uint32_t size = static_cast<uint32_t>(io_.size());
  bool written = file_->Write(io_.data(), size) == size;
  io_.clear();
  if (!written) return Fail(kArchiveShortWrite);
  return status_ == 0;
}

bool ArchiveByteStream::PutU16(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  return Put(b, 2);
}

bool ArchiveByteStream::PutU32(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  return Put(b, 4);
}

bool ArchiveByteStream::Get(void* data, uint32_t count) {
  if (status_ != 0) return false;
  if (count > BytesLeft()) return Fail(kArchiveShortRead);
  auto* out = static_cast<uint8_t*>(data);
  uint32_t done = 0;
  while (done < count) {
    if (io_at_ == io_.size()) {
      uint32_t want = count - done;
      if (want >= kBufferSize) {  // large values go straight to the caller
        if (file_->Read(out + done, want) != want) break;
        done += want;
        break;
      }
      uint64_t ahead = end_ - position_ - done;
      io_.resize(static_cast<size_t>(std::min<uint64_t>(kBufferSize, ahead)));
      io_at_ = 0;
      uint32_t got = file_->Read(io_.data(), static_cast<uint32_t>(io_.size()));
      io_.resize(got);
      if (got == 0) break;
    }
    uint32_t take = std::min<uint32_t>(count - done, static_cast<uint32_t>(io_.size() - io_at_));
    std::copy(io_.begin() + static_cast<long>(io_at_),
              io_.begin() + static_cast<long>(io_at_ + take), out + done);
    io_at_ += take;
    done += take;
  }
  position_ += done;
  if (done != count) return Fail(kArchiveShortRead);
  if (scrambling_) Unscramble(out, count);
  return true;
}

bool ArchiveByteStream::GetU16(uint16_t* v) {
  uint8_t b[2];
  if (!Get(b, 2)) return false;
  *v = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool ArchiveByteStream::GetU32(uint32_t* v) {
  uint8_t b[4];
  if (!Get(b, 4)) return false;
  *v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

bool ArchiveByteStream::Skip(uint64_t count) {
  if (status_ != 0) return false;
  if (count > BytesLeft()) return Fail(kArchiveShortRead);
  uint64_t buffered = io_.size() - io_at_;
  if (count <= buffered) {
    io_at_ += static_cast<size_t>(count);
  } else {
    io_.clear();
    io_at_ = 0;
    if (!file_->Seek(position_ + count).ok()) return Fail(kArchiveShortRead);
  }
  position_ += count;
  if (scrambling_) scrambled_count_ += static_cast<uint32_t>(count);
  return true;
}

}  // namespace hv
