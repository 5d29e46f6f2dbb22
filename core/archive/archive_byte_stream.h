// ArchiveByteStream: the byte level under swArchive. Bytes pass through a buffer on their way
// to and from the file (written ones wait until the buffer is full, reads come from a
// read-ahead block), through the scrambler while scrambling is on, and as little-endian
// numbers. It shares the archive's status: a short transfer sets it (the first error sticks)
// and nothing moves once it is set. It keeps the archive's key and its count of scrambled
// bytes; the file is borrowed and never closed here.
#ifndef HV_CORE_ARCHIVE_ARCHIVE_BYTE_STREAM_H_
#define HV_CORE_ARCHIVE_ARCHIVE_BYTE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/archive/file_base.h"

namespace hv {

class ArchiveByteStream {
 public:
  static constexpr uint32_t kBufferSize = 4096;

  // status is the archive's, which outlives the stream.
  explicit ArchiveByteStream(int16_t& status) : status_(status) {}
  ArchiveByteStream(const ArchiveByteStream&) = delete;
  ArchiveByteStream& operator=(const ArchiveByteStream&) = delete;

  // Starts on the file at its current position, with a key of key_length bytes (null or
  // empty: none) and scrambling off.
  void Bind(swFileBase* file, const uint8_t* key, uint32_t key_length);
  // Writing: hands the pending bytes to the file. Reading: puts the file back after what was
  // read rather than after what was read ahead. Then wipes the key and forgets the buffer.
  void Release(bool storing);

  bool HasKey() const { return !key_.empty(); }
  // A plain file read with a key: the key does not apply.
  void DropKey() { key_.clear(); }
  bool scrambling() const { return scrambling_; }
  void set_scrambling(bool on) { scrambling_ = on; }
  // Bytes the file holds after the read position.
  uint64_t BytesLeft() const { return position_ >= end_ ? 0 : end_ - position_; }

  bool Put(const void* data, uint32_t count);
  bool PutU8(uint8_t v) { return Put(&v, 1); }
  bool PutU16(uint16_t v);
  bool PutU32(uint32_t v);
  bool Flush();
  bool Get(void* data, uint32_t count);
  bool GetU8(uint8_t* v) { return Get(v, 1); }
  bool GetU16(uint16_t* v);
  bool GetU32(uint32_t* v);
  // Skipped bytes are never looked at, but they still advance the scrambler's count.
  bool Skip(uint64_t count);

 private:
  bool Fail(int16_t status);
  void Scramble(uint8_t* bytes, uint32_t count);
  void Unscramble(uint8_t* bytes, uint32_t count);

  int16_t& status_;
  swFileBase* file_ = nullptr;
  std::vector<uint8_t> key_;
  uint32_t scrambled_count_ = 0;
  bool scrambling_ = false;
  // Written bytes not yet handed over, or read-ahead: io_[io_at_..] follows position_.
  std::vector<uint8_t> io_;
  size_t io_at_ = 0;
  uint64_t position_ = 0;
  uint64_t end_ = 0;
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_ARCHIVE_BYTE_STREAM_H_
