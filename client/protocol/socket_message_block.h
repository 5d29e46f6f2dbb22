// cSocketMessageBlock: one block of a message in memory, its header fields and its payload.
// An outgoing block is composed with the Append* writers (one fixed buffer, allocated on
// first use and kept); a received block carries its incoming payload and is decoded with
// the Read* readers.
//
// Payload field encodings (little-endian, packed):
//   u16 2 bytes, u32 4 bytes, f64 8 bytes (IEEE 754);
//   string: u32 reserved (0), u32 count n = length + 1, n bytes: the text and one NUL;
//   blob chunk: u32 reserved (0), u32 count n, n raw bytes.
//
// Short payloads: a field that does not fit in what remains of the incoming payload is not
// read and consumes nothing; the destination keeps its value and the reader succeeds, so
// decoders stay compatible with older servers that leave trailing fields out. Decoders set
// each destination to its default before reading it.
//
// No length read from the wire is trusted: every count is checked against the payload that
// really remains before anything is allocated or copied.
#ifndef HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_BLOCK_H_
#define HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_BLOCK_H_

#include <cstdint>
#include <memory>

#include "core/guid/guid.h"
#include "core/status.h"
#include "core/storable.h"
#include "core/wire/block_header.h"

namespace hv {

class cGatheredFile;
class swString;

class cSocketMessageBlock : public swStorable {
 public:
  // Size of the outgoing payload buffer. A block's payload is at most BlockCapacity - 1
  // bytes: an append that would reach the capacity fails.
  static constexpr uint32_t BlockCapacity = 0x10000;
  // The largest incoming payload a header may announce (1 MiB). Our own blocks are under
  // 64 KiB; the margin tolerates other senders while a hostile header that announces
  // gigabytes costs an error instead of the memory.
  static constexpr uint32_t MaxIncomingPayload = 0x100000;
  // The version a new block carries before a server has told us its own.
  static constexpr uint32_t kDefaultVersion = 3;

  // A fresh GUID, version 3, block number 0, last-block flag 1, no buffers.
  cSocketMessageBlock();
  // A block with a known GUID (a received block's is replaced by its header's anyway), which
  // spares the GUID generator.
  explicit cSocketMessageBlock(const swGuid& known_guid);
  cSocketMessageBlock(const cSocketMessageBlock&) = delete;
  cSocketMessageBlock& operator=(const cSocketMessageBlock&) = delete;
  ~cSocketMessageBlock() override;

  uint16_t ClassId() const override { return 0; }  // listed, never archived
  hv::Status Serialize(swSerializer&) override {
    return hv::Status::Failure(hv::Where::kProtocol, "never archived");
  }

  // --- header fields ---
  uint32_t capacity = BlockCapacity;
  uint32_t type = 0;
  swGuid guid;
  uint32_t version = kDefaultVersion;
  uint32_t block_number = 0;
  uint16_t last_block = 1;

  // The header that would precede this block's outgoing payload.
  cBlockHeader OutgoingHeader() const;
  // Copies type, GUID, version, block number and last-block flag from a received header.
  void SetHeaderFields(const cBlockHeader& header);

  // --- composing (outgoing payload) ---
  // Failures are Where::kProtocol statuses with the codes named below.
  // Copies n bytes at the write position. Ok; kMissingArgument for null data (n > 0);
  // kOutOfMemory when the buffer cannot be allocated; kBlockFull when write position + n
  // would reach the capacity (nothing is written then).
  [[nodiscard]] Status AppendBytes(const void* data, uint32_t n);
  // u32 0, u32 length + 1, the text and its NUL. kMissingArgument for null text.
  [[nodiscard]] Status AppendString(const char* text);
  [[nodiscard]] Status AppendU16(uint16_t value);
  [[nodiscard]] Status AppendU32(uint32_t value);
  [[nodiscard]] Status AppendF64(double value);

  // Starts the outgoing payload over: positions 0 and the written part zero-filled.
  void ClearOutgoing();
  uint32_t OutgoingLength() const { return out_length_; }
  uint32_t WritePosition() const { return write_position_; }
  // The outgoing payload (OutgoingLength() bytes), or null before the first append.
  const uint8_t* OutgoingPayload() const;
  // Encodes the header in front of the payload and returns one contiguous image of header
  // and payload, so a block goes out in one send. *size receives its length. The image
  // lives in the block until the next append or clear; a block without payload uses a
  // small internal header buffer.
  const uint8_t* OutgoingImage(uint32_t* size);

  // --- receiving (incoming payload) ---
  // Drops the incoming payload: length and read position 0, buffer freed.
  void DropIncoming();
  // Drops the incoming payload but keeps its buffer for the next AllocateIncoming.
  void ClearIncoming();
  // Makes an incoming payload of exactly n bytes (not zero-filled: the caller fills every
  // byte or drops it) and returns it for filling, with the read position at 0. The buffer
  // of the previous payload is reused when it fits. Null when n exceeds MaxIncomingPayload
  // or memory runs out (no payload is kept then). n == 0 gives an empty payload that still
  // counts as present.
  uint8_t* AllocateIncoming(uint32_t n);
  // AllocateIncoming plus a copy: ok, or kOutOfMemory. For tests and the server simulator.
  [[nodiscard]] Status SetIncoming(const void* data, uint32_t n);
  bool HasIncoming() const { return has_incoming_; }
  uint32_t IncomingLength() const { return in_length_; }
  uint32_t Remaining() const { return in_length_ - read_position_; }

  // --- reading (incoming payload) ---
  // When n bytes remain, copies them and advances; otherwise changes nothing. Ok in both
  // cases; kMissingArgument for a null destination; kNoPayload without an incoming payload.
  [[nodiscard]] Status ReadBytes(void* destination, uint32_t n);
  // Reads a string field. Reserved and count follow the short-payload rule; when the count
  // is missing the string keeps its value. A count that runs past the payload leaves the
  // string empty and consumes nothing more (the next field decodes from just after the
  // count). Otherwise the string becomes the text up to its first NUL, never beyond the n
  // bytes (a missing terminator is tolerated). kMissingArgument, kNoPayload as ReadBytes;
  // kOutOfMemory when the string cannot hold the text.
  [[nodiscard]] Status ReadString(swString* text);
  // Reads one blob chunk and writes its bytes to the file at path: with create, the file
  // is created or truncated; otherwise it is opened for appending (created if missing).
  // The bytes go straight from the payload to the file. Ok; kMissingArgument for a null
  // path; kNoPayload without payload; kCannotOpenFile when the file cannot be opened or
  // written. A count that runs past the payload writes nothing and fails with kNoPayload
  // (the file would otherwise be silently corrupted). A chunk left out entirely (no count)
  // writes nothing and is ok; the file is still opened as asked.
  [[nodiscard]] Status ReadFileChunk(const char* path, bool create);
  // Reads one blob chunk and hands its bytes to an open file, after what the file holds:
  // the file takes the payload's buffer and writes from it (see cGatheredFile::WriteHeld),
  // so the block has no payload left afterwards. Ok; kNoPayload as above; kCannotOpenFile
  // when the file is not open, or the file's own failure when a write fails. A chunk left
  // out entirely writes nothing and is ok.
  [[nodiscard]] Status ReadFileChunk(cGatheredFile& file);
  // Reads one blob chunk without copying it: *data points at its bytes inside the incoming
  // payload, valid until the block takes another payload. Ok; kNoPayload as above. A chunk
  // left out entirely gives *count 0.
  [[nodiscard]] Status ReadChunkInPlace(const uint8_t** data, uint32_t* count);
  // The fixed-size readers take a field that is there inline: the decoders read millions
  // of them, and only the rare rest goes the long way.
  [[nodiscard]] Status ReadU16(uint16_t* value) {
    if (value == nullptr || Remaining() < 2) return ReadFixed<2>(value, GetU16);
    *value = GetU16(TakeFixed(2));
    return Status();
  }
  [[nodiscard]] Status ReadU32(uint32_t* value) {
    if (value == nullptr || Remaining() < 4) return ReadFixed<4>(value, GetU32);
    *value = GetU32(TakeFixed(4));
    return Status();
  }
  [[nodiscard]] Status ReadF64(double* value) {
    if (value == nullptr || Remaining() < 8) return ReadFixed<8>(value, GetF64);
    *value = GetF64(TakeFixed(8));
    return Status();
  }

 private:
  // Allocates the outgoing buffer (with room for a header in front) on first use.
  bool EnsureOutgoingBuffer();
  // Reads a blob chunk's reserved word and count: ok with *count and the read position at
  // its bytes (*count 0 when the chunk is left out); kNoPayload without a payload or when
  // the count runs past it.
  [[nodiscard]] Status ReadChunkCount(uint32_t* count);
  // Reads a field of N bytes and decodes it into *value. When the received payload ends
  // before the field, *value keeps what it held and the result is ok: older servers send
  // shorter records, and the missing fields keep their defaults.
  template <uint32_t N, typename T>
  [[nodiscard]] Status ReadFixed(T* value, T (*decode)(const uint8_t*));
  // The next n bytes of the incoming payload, which the caller has checked are there.
  const uint8_t* TakeFixed(uint32_t n) {
    const uint8_t* field = in_buffer_.get() + read_position_;
    read_position_ += n;
    return field;
  }
  static double GetF64(const uint8_t* bytes);

  uint32_t in_length_ = 0;
  uint32_t read_position_ = 0;
  bool has_incoming_ = false;
  // Holds the incoming payload; may be larger than it (see AllocateIncoming).
  std::unique_ptr<uint8_t[]> in_buffer_;
  uint32_t in_capacity_ = 0;

  uint32_t out_length_ = 0;
  uint32_t write_position_ = 0;
  // kLongHeaderSize bytes of header room, then `capacity` bytes of payload.
  std::unique_ptr<uint8_t[]> out_buffer_;
  uint32_t out_buffer_capacity_ = 0;
  uint8_t header_only_[kLongHeaderSize] = {};
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_BLOCK_H_
