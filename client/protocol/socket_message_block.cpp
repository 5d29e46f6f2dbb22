#include "client/protocol/socket_message_block.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "client/protocol/gathered_file.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

namespace {

Status Failed(int32_t code) { return Status(Where::kProtocol, code); }

}  // namespace

cSocketMessageBlock::cSocketMessageBlock() : guid(swGuidW::Generate()) {}

cSocketMessageBlock::cSocketMessageBlock(const swGuid& known_guid) : guid(known_guid) {}

cSocketMessageBlock::~cSocketMessageBlock() = default;

cBlockHeader cSocketMessageBlock::OutgoingHeader() const {
  return cBlockHeader{.version = version,
                      .type = type,
                      .reserved = kHeaderReservedValue,
                      .guid = guid,
                      .block_number = block_number,
                      .last_block = last_block,
                      .payload_length = out_length_};
}

void cSocketMessageBlock::SetHeaderFields(const cBlockHeader& header) {
  type = header.type;
  guid = header.guid;
  version = header.version;
  block_number = header.block_number;
  last_block = header.last_block;
}

// --- composing ---

bool cSocketMessageBlock::EnsureOutgoingBuffer() {
  if (out_buffer_ != nullptr && out_buffer_capacity_ >= capacity) return true;
  // Header room in front lets a block go out as one contiguous send. The buffer is not
  // zeroed: only the written part (below out_length_) is ever read or sent, and zeroing
  // 64 KiB for every block composed cost more than composing most of them.
  std::unique_ptr<uint8_t[]> fresh(new (std::nothrow) uint8_t[kLongHeaderSize + capacity]);
  if (fresh == nullptr) return false;
  if (out_buffer_ != nullptr) {
    std::memcpy(fresh.get() + kLongHeaderSize, out_buffer_.get() + kLongHeaderSize, out_length_);
  }
  out_buffer_ = std::move(fresh);
  out_buffer_capacity_ = capacity;
  return true;
}

Status cSocketMessageBlock::AppendBytes(const void* data, uint32_t n) {
  if (data == nullptr && n > 0) return Failed(hv::kMissingArgument);
  if (!EnsureOutgoingBuffer()) return Failed(hv::kOutOfMemory);
  // The payload of one block stays below the capacity: reaching it is already full.
  if (static_cast<uint64_t>(write_position_) + n >= capacity) return Failed(hv::kBlockFull);
  if (n > 0) std::memcpy(out_buffer_.get() + kLongHeaderSize + write_position_, data, n);
  write_position_ += n;
  if (write_position_ > out_length_) out_length_ = write_position_;
  return Status();
}

Status cSocketMessageBlock::AppendString(const char* text) {
  if (text == nullptr) return Failed(hv::kMissingArgument);
  const size_t length = std::strlen(text);
  if (length >= capacity) return Failed(hv::kBlockFull);
  const uint32_t count = static_cast<uint32_t>(length) + 1;
  // The whole field must fit, or nothing of it is written.
  if (static_cast<uint64_t>(write_position_) + 8 + count >= capacity) {
    return EnsureOutgoingBuffer() ? Failed(hv::kBlockFull) : Failed(hv::kOutOfMemory);
  }
  Status status = AppendU32(0);
  if (status.ok()) status = AppendU32(count);
  if (status.ok()) status = AppendBytes(text, count);
  return status;
}

Status cSocketMessageBlock::AppendU16(uint16_t value) {
  uint8_t bytes[2];
  PutU16(bytes, value);
  return AppendBytes(bytes, sizeof(bytes));
}

Status cSocketMessageBlock::AppendU32(uint32_t value) {
  uint8_t bytes[4];
  PutU32(bytes, value);
  return AppendBytes(bytes, sizeof(bytes));
}

Status cSocketMessageBlock::AppendF64(double value) {
  uint64_t bits = 0;
  static_assert(sizeof(bits) == sizeof(value));
  std::memcpy(&bits, &value, sizeof(bits));
  uint8_t bytes[8];
  PutU32(bytes, static_cast<uint32_t>(bits));
  PutU32(bytes + 4, static_cast<uint32_t>(bits >> 32));
  return AppendBytes(bytes, sizeof(bytes));
}

void cSocketMessageBlock::ClearOutgoing() {
  // Only the used part is zeroed: nothing past out_length_ is ever read, and answers are
  // composed block after block, where clearing the full capacity each time cost more than
  // composing them.
  if (out_buffer_ != nullptr) {
    std::memset(out_buffer_.get(), 0, kLongHeaderSize + static_cast<size_t>(out_length_));
  }
  write_position_ = 0;
  out_length_ = 0;
}

const uint8_t* cSocketMessageBlock::OutgoingPayload() const {
  return out_buffer_ == nullptr ? nullptr : out_buffer_.get() + kLongHeaderSize;
}

const uint8_t* cSocketMessageBlock::OutgoingImage(uint32_t* size) {
  const cBlockHeader header = OutgoingHeader();
  const uint32_t header_size = BlockHeaderSize(version);
  if (out_buffer_ == nullptr || out_length_ == 0) {
    EncodeBlockHeader(header, header_only_, sizeof(header_only_));
    if (size != nullptr) *size = header_size;
    return header_only_;
  }
  // The header is written right in front of the payload; a short header starts later.
  uint8_t* start = out_buffer_.get() + (kLongHeaderSize - header_size);
  EncodeBlockHeader(header, start, header_size);
  if (size != nullptr) *size = header_size + out_length_;
  return start;
}

// --- receiving ---

void cSocketMessageBlock::DropIncoming() {
  ClearIncoming();
  in_buffer_.reset();
  in_capacity_ = 0;
}

void cSocketMessageBlock::ClearIncoming() {
  has_incoming_ = false;
  in_length_ = 0;
  read_position_ = 0;
}

uint8_t* cSocketMessageBlock::AllocateIncoming(uint32_t n) {
  ClearIncoming();
  if (n > MaxIncomingPayload) {
    DropIncoming();
    return nullptr;
  }
  // The buffer of the previous payload is used again when it is large enough and no larger
  // than a block of our own (or exactly this size): a fresh allocation of a large payload
  // costs the kernel a zero-filled page for every page touched. A larger one is not kept
  // for small payloads.
  const uint32_t wanted = n == 0 ? 1 : n;
  const bool reusable = in_buffer_ != nullptr && in_capacity_ >= wanted &&
                        (in_capacity_ <= BlockCapacity || in_capacity_ == wanted);
  if (!reusable) {
    in_buffer_.reset();
    in_capacity_ = 0;
    // One byte at least, so that an empty payload still counts as present. Not
    // zero-filled: the receive fills every byte or drops the payload, and a pass over a
    // large payload only to overwrite it would cost as much as reading it.
    in_buffer_.reset(new (std::nothrow) uint8_t[wanted]);
    if (in_buffer_ == nullptr) return nullptr;
    in_capacity_ = wanted;
  }
  in_length_ = n;
  has_incoming_ = true;
  return in_buffer_.get();
}

Status cSocketMessageBlock::SetIncoming(const void* data, uint32_t n) {
  if (data == nullptr && n > 0) return Failed(hv::kMissingArgument);
  uint8_t* buffer = AllocateIncoming(n);
  if (buffer == nullptr) return Failed(hv::kOutOfMemory);
  if (n > 0) std::memcpy(buffer, data, n);
  return Status();
}

// --- reading ---

Status cSocketMessageBlock::ReadBytes(void* destination, uint32_t n) {
  if (destination == nullptr) return Failed(hv::kMissingArgument);
  if (!has_incoming_) return Failed(hv::kNoPayload);
  if (n > Remaining()) return Status();  // short payload: the field is left out
  if (n > 0) std::memcpy(destination, in_buffer_.get() + read_position_, n);
  read_position_ += n;
  return Status();
}

Status cSocketMessageBlock::ReadString(swString* text) {
  if (text == nullptr) return Failed(hv::kMissingArgument);
  if (!has_incoming_) return Failed(hv::kNoPayload);
  uint32_t reserved = 0;
  Status status = ReadU32(&reserved);
  if (!status.ok()) return status;
  if (Remaining() < 4) return Status();  // no count: the field was left out
  uint32_t count = 0;
  status = ReadU32(&count);
  if (!status.ok()) return status;
  if (count > Remaining()) {
    *text = "";
    return Status();
  }
  const char* start = reinterpret_cast<const char*>(in_buffer_.get() + read_position_);
  swString decoded(start, count);  // stops at the first NUL, never beyond count bytes
  const size_t length = strnlen(start, count);
  if (decoded.GetLength() != length) return Failed(hv::kOutOfMemory);
  *text = std::move(decoded);
  read_position_ += count;
  return Status();
}

Status cSocketMessageBlock::ReadChunkCount(uint32_t* count) {
  *count = 0;
  if (!has_incoming_) return Failed(hv::kNoPayload);
  uint32_t reserved = 0;
  Status status = ReadU32(&reserved);
  if (!status.ok()) return status;
  if (Remaining() < 4) return Status();  // the chunk is left out
  status = ReadU32(count);
  if (!status.ok()) return status;
  if (*count > Remaining()) {
    *count = 0;
    return Failed(hv::kNoPayload);
  }
  return Status();
}

Status cSocketMessageBlock::ReadFileChunk(const char* path, bool create) {
  if (path == nullptr) return Failed(hv::kMissingArgument);
  uint32_t count = 0;
  Status status = ReadChunkCount(&count);
  if (!status.ok()) return status;
  // Never follow a link planted where the file should go.
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (create ? O_TRUNC : O_APPEND);
  cGatheredFile file;
  file.Adopt(::open(path, flags, 0644));
  if (!file.IsOpen()) return Failed(hv::kCannotOpenFile);
  const Status written = file.Write(in_buffer_.get() + read_position_, count);
  const Status closed = file.Close();
  if (!written.ok() || !closed.ok()) return Failed(hv::kCannotOpenFile);
  read_position_ += count;
  return Status();
}

Status cSocketMessageBlock::ReadChunkInPlace(const uint8_t** data, uint32_t* count) {
  *data = nullptr;
  Status status = ReadChunkCount(count);
  if (!status.ok()) return status;
  *data = in_buffer_.get() + read_position_;
  read_position_ += *count;
  return Status();
}

Status cSocketMessageBlock::ReadFileChunk(cGatheredFile& file) {
  uint32_t count = 0;
  Status status = ReadChunkCount(&count);
  if (!status.ok()) return status;
  if (!file.IsOpen()) return Failed(hv::kCannotOpenFile);
  if (count == 0) return Status();
  // The file keeps this payload's buffer until its bytes are written and hands back one it
  // is done with; the payload is gone from the block then, so nothing more is read from it.
  status = file.WriteHeld(&in_buffer_, &in_capacity_, read_position_, count);
  ClearIncoming();
  return status;
}

template <uint32_t N, typename T>
Status cSocketMessageBlock::ReadFixed(T* value, T (*decode)(const uint8_t*)) {
  if (value == nullptr) return Failed(hv::kMissingArgument);
  uint8_t bytes[N];
  if (has_incoming_ && Remaining() < N) return Status();
  Status status = ReadBytes(bytes, N);
  if (status.ok()) *value = decode(bytes);
  return status;
}

double cSocketMessageBlock::GetF64(const uint8_t* bytes) {
  uint64_t bits =
      static_cast<uint64_t>(GetU32(bytes)) | (static_cast<uint64_t>(GetU32(bytes + 4)) << 32);
  double value = 0;
  std::memcpy(&value, &bits, sizeof(bits));
  return value;
}

template Status cSocketMessageBlock::ReadFixed<2>(uint16_t*, uint16_t (*)(const uint8_t*));
template Status cSocketMessageBlock::ReadFixed<4>(uint32_t*, uint32_t (*)(const uint8_t*));
template Status cSocketMessageBlock::ReadFixed<8>(double*, double (*)(const uint8_t*));

}  // namespace hv
