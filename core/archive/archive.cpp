// swArchive: opening, closing, the byte level and the scrambler. Writing and reading of values,
// objects and sections are in archive_write.cpp and archive_read.cpp.
#include "core/archive/archive.h"

#include <algorithm>
#include <new>
#include <string>

namespace hv {

swArchive::~swArchive() {
  Close().Ignore("whoever cared about the result has closed it already");
  classes_.Clear();
}

int swArchive::Fail(int16_t status) {
  if (status_ == 0) status_ = status;
  return status_;
}

int swArchive::SerializeObject(swStorable& object) {
  try {
    if (!object.Serialize(*this).ok()) Fail(kArchiveSerializeFailed);
  } catch (const std::bad_alloc&) {
    Fail(kArchiveNoMemory);
  }
  return status_;
}

// True when the archive may go on: open, no error yet, and in the wanted direction.
bool swArchive::Ready(bool want_storing) {
  if (!open_) return false;
  if (status_ != 0) return false;
  if ((storing_ != 0) != want_storing) {
    Fail(kArchiveBadStructure);
    return false;
  }
  return true;
}

uint64_t swArchive::BytesLeft() const {
  if (!open_ || storing_ || position_ >= end_) return 0;
  return end_ - position_;
}

hv::Status swArchive::RegisterClass(uint16_t id, swFactory factory, uint16_t version) {
  return classes_.Register(id, factory, version);
}

hv::Status swArchive::Open(swFileBase* file, bool storing, bool tagged, swGuid* type_id,
                           swGuid* creator_id, swString* name, uint16_t version, const uint8_t* key,
                           uint32_t key_length, uint32_t /*reserved*/) {
  if (open_) Close().Ignore("a new file starts with a fresh status");
  status_ = 0;
  missing_ = 0;
  if (file == nullptr) return ArchiveStatus(Fail(kArchiveNoFile));
  if (!file->IsOpen()) return ArchiveStatus(Fail(kArchiveNotOpen));

  file_ = file;
  storing_ = storing ? 1 : 0;
  tagged_ = tagged ? 1 : 0;
  key_.assign(key, key != nullptr ? key + key_length : key);
  scrambled_count_ = 0;
  scrambling_ = false;
  sections_.clear();
  objects_.clear();
  written_.clear();
  version_ = version;
  nesting_ = 0;
  section_counter_ = 0;
  depth_ = 0;
  group_.clear();
  group_.reserve(kGroupCapacity + 2);
  group_count_ = 0;
  read_left_ = 0;
  pushed_back_ = false;
  io_.clear();
  io_at_ = 0;
  position_ = file->Tell();
  end_ = file->Size();
  open_ = true;

  // The tag of a tagged file, written or read: its type, creator and name, each an embedded
  // object. Absent ones are written empty and read into scratch; a failure stays in status_.
  const auto serialize_tag = [&] {
    swGuid type_scratch;
    swGuid creator_scratch;
    swString name_scratch;
    const auto embedded = [this](swStorable& object, uint16_t object_version) {
      if (storing_) {
        WriteEmbedded(object, object_version);
      } else {
        ReadEmbedded(object, object_version);
      }
    };
    embedded(type_id != nullptr ? *type_id : type_scratch, 2);
    embedded(creator_id != nullptr ? *creator_id : creator_scratch, 1);
    embedded(name != nullptr ? *name : name_scratch, 1);
  };

  if (storing_) {
    PutU16(key_.empty() ? 0 : 1);
    scrambling_ = !key_.empty();
    PutU16(tagged_);
    PutU16(version);
    if (tagged_) serialize_tag();
    return ArchiveStatus(status_);
  }

  uint16_t key_flag = 0;
  if (!GetU16(&key_flag)) return ArchiveStatus(status_);
  if (key_flag > 1) return ArchiveStatus(Fail(kArchiveBadMarker));
  if (key_flag == 0) key_.clear();
  if (key_flag == 1 && key_.empty()) return ArchiveStatus(Fail(kArchiveNeedsKey));
  scrambling_ = key_flag == 1;
  uint16_t stored_tagged = 0;
  uint16_t stored_version = 0;
  if (!GetU16(&stored_tagged) || !GetU16(&stored_version)) return ArchiveStatus(status_);
  if (stored_tagged > 1) return ArchiveStatus(Fail(kArchiveBadMarker));
  tagged_ = stored_tagged;
  version_ = stored_version;
  if (tagged_) serialize_tag();
  return ArchiveStatus(status_);
}

hv::Status swArchive::Close() {
  if (!open_) return ArchiveStatus(status_);
  if (storing_ && tagged_ && status_ == 0) FlushGroup();
  if (storing_ && status_ == 0) FlushOutput();
  // Give the file back positioned after what was read, not after what was read ahead; when
  // that fails, whoever reads on would start in the wrong place, so Close says so.
  if (!storing_ && io_at_ < io_.size() && !file_->Seek(position_).ok()) Fail(kArchiveShortRead);
  io_.clear();
  io_at_ = 0;
  group_.clear();
  group_.shrink_to_fit();
  group_count_ = 0;
  sections_.clear();
  std::fill(key_.begin(), key_.end(), 0);
  key_.clear();
  objects_.clear();
  written_.clear();
  read_left_ = 0;
  pushed_back_ = false;
  open_ = false;
  return ArchiveStatus(status_);
}

// The stored byte is (c + (b XOR (k OR c))) mod 256, with c the low byte of the count of bytes
// scrambled so far and k the key byte at position c mod key length.
void swArchive::Scramble(uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t c = static_cast<uint8_t>(scrambled_count_);
    uint8_t k = key_[c % key_.size()];
    bytes[i] = static_cast<uint8_t>(c + (bytes[i] ^ (k | c)));
    ++scrambled_count_;
  }
}

void swArchive::Unscramble(uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t c = static_cast<uint8_t>(scrambled_count_);
    uint8_t k = key_[c % key_.size()];
    bytes[i] = static_cast<uint8_t>(static_cast<uint8_t>(bytes[i] - c) ^ (k | c));
    ++scrambled_count_;
  }
}

bool swArchive::PutBytes(const void* data, uint32_t count) {
  if (status_ != 0) return false;
  const auto* in = static_cast<const uint8_t*>(data);
  while (count > 0) {
    uint32_t n = std::min<uint32_t>(count, kIoBufferSize - static_cast<uint32_t>(io_.size()));
    size_t at = io_.size();
    io_.insert(io_.end(), in, in + n);
    if (scrambling_) Scramble(io_.data() + at, n);
    in += n;
    count -= n;
    if (io_.size() >= kIoBufferSize && !FlushOutput()) return false;
  }
  return true;
}

bool swArchive::FlushOutput() {
  if (io_.empty()) return status_ == 0;
  uint32_t size = static_cast<uint32_t>(io_.size());
  bool written = file_->Write(io_.data(), size) == size;
  io_.clear();
  if (!written) {
    Fail(kArchiveShortWrite);
    return false;
  }
  return status_ == 0;
}

bool swArchive::PutU16(uint16_t v) {
  uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  return PutBytes(b, 2);
}

bool swArchive::PutU32(uint32_t v) {
  uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  return PutBytes(b, 4);
}

// Reads go through a read-ahead buffer: io_[io_at_..] holds the bytes after position_.
bool swArchive::GetBytes(void* data, uint32_t count) {
  if (status_ != 0) return false;
  if (count > BytesLeft()) {
    Fail(kArchiveShortRead);
    return false;
  }
  auto* out = static_cast<uint8_t*>(data);
  uint32_t done = 0;
  while (done < count) {
    if (io_at_ == io_.size()) {
      uint32_t want = count - done;
      if (want >= kIoBufferSize) {  // large values go straight to the caller
        if (file_->Read(out + done, want) != want) break;
        done += want;
        break;
      }
      uint64_t ahead = end_ - position_ - done;
      io_.resize(static_cast<size_t>(std::min<uint64_t>(kIoBufferSize, ahead)));
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
  if (done != count) {
    Fail(kArchiveShortRead);
    return false;
  }
  if (scrambling_) Unscramble(out, count);
  return true;
}

bool swArchive::GetU16(uint16_t* v) {
  uint8_t b[2];
  if (!GetBytes(b, 2)) return false;
  *v = static_cast<uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool swArchive::GetU32(uint32_t* v) {
  uint8_t b[4];
  if (!GetBytes(b, 4)) return false;
  *v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

// Skipped bytes are never looked at, but they still advance the scrambler's count.
// Skipped bytes are never looked at, but they still advance the scrambler's count.
bool swArchive::SkipBytes(uint64_t count) {
  if (status_ != 0) return false;
  if (count > BytesLeft()) {
    Fail(kArchiveShortRead);
    return false;
  }
  uint64_t buffered = io_.size() - io_at_;
  if (count <= buffered) {
    io_at_ += static_cast<size_t>(count);
  } else {
    io_.clear();
    io_at_ = 0;
    if (!file_->Seek(position_ + count).ok()) {
      Fail(kArchiveShortRead);
      return false;
    }
  }
  position_ += count;
  if (scrambling_) scrambled_count_ += static_cast<uint32_t>(count);
  return true;
}

}  // namespace hv
