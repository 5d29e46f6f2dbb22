// PayloadWriter: composes the payload of one outgoing block field by field, in the wire's
// encodings (little-endian, packed): u16, u32, f64 (IEEE 754), string (u32 0, u32 length + 1,
// the text and its NUL) and blob chunk (u32 0, u32 count, the bytes). A payload stays below
// the 64 KiB block capacity; a field that would reach it is refused whole, so a refused
// answer is never sent cut short.
#ifndef HV_CORE_WIRE_PAYLOAD_WRITER_H_
#define HV_CORE_WIRE_PAYLOAD_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/wire/block_header.h"

namespace hv::wire {

class PayloadWriter {
 public:
  // The block capacity: a payload holds at most one byte less.
  static constexpr size_t kCapacity = 0x10000;

  // kBlockFull (Where::kProtocol) when the field would reach the capacity; nothing of it is
  // written then.
  Status AppendBytes(const void* data, size_t n);
  Status AppendU16(uint16_t value);
  Status AppendU32(uint32_t value);
  Status AppendF64(double value);
  // The text up to its first NUL, as a string field.
  Status AppendString(std::string_view text);
  Status AppendChunk(const uint8_t* data, size_t n);

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  void Clear() { bytes_.clear(); }

 private:
  std::vector<uint8_t> bytes_;
};

// One block as it goes on the wire: the header in the form its version calls for (with the
// payload's length), then the payload.
std::vector<uint8_t> EncodeBlock(cBlockHeader header, const std::vector<uint8_t>& payload);

}  // namespace hv::wire

#endif  // HV_CORE_WIRE_PAYLOAD_WRITER_H_
