// The header that precedes every block on the wire, in its two forms:
//   long form (version >= 2), 38 bytes: version, type, reserved, GUID (16), block number,
//     last-block flag (u16), payload length;
//   short form (version 0 and 1), 12 bytes: version, type, payload length.
// All integers little-endian. A short-form block is always a whole message (block 0, last).
// The client and the server simulator both encode and decode headers only through here.
#ifndef HV_CORE_WIRE_BLOCK_HEADER_H_
#define HV_CORE_WIRE_BLOCK_HEADER_H_

#include <cstdint>

#include "core/guid/guid.h"
#include "core/status.h"

namespace hv {

constexpr uint32_t kLongHeaderSize = 38;
constexpr uint32_t kShortHeaderSize = 12;
// The lowest version that uses the long form.
constexpr uint32_t kFirstLongHeaderVersion = 2;
// What this client writes into the reserved word; receivers ignore it.
constexpr uint32_t kHeaderReservedValue = 0;

struct cBlockHeader {
  uint32_t version = 3;
  uint32_t type = 0;
  uint32_t reserved = kHeaderReservedValue;  // long form only
  swGuid guid;                               // long form only
  uint32_t block_number = 0;                 // long form only; 0 in the short form
  uint16_t last_block = 1;                   // long form only; 1 in the short form
  uint32_t payload_length = 0;
};

// 38 for versions 2 and above, 12 below.
uint32_t BlockHeaderSize(uint32_t version);

// Writes the header in the form its version calls for. Returns the bytes written, or 0 when
// out_size is smaller than BlockHeaderSize(header.version).
uint32_t EncodeBlockHeader(const cBlockHeader& header, uint8_t* out, uint32_t out_size);

// Reads a header from the start of data. Ok, with *header and *consumed set, when a whole
// header is present; declined (Where::kProtocol; nothing read, *header untouched) when size
// is too small for the header its version announces, including when fewer than 4 bytes are
// present. A short-form header decodes with block number 0, last-block flag 1 and a zero GUID.
[[nodiscard]] Status DecodeBlockHeader(const uint8_t* data, uint32_t size, cBlockHeader* header,
                                       uint32_t* consumed);

// Little-endian helpers shared by the header and payload code.
void PutU16(uint8_t* out, uint16_t value);
void PutU32(uint8_t* out, uint32_t value);
uint16_t GetU16(const uint8_t* in);
uint32_t GetU32(const uint8_t* in);

}  // namespace hv

#endif  // HV_CORE_WIRE_BLOCK_HEADER_H_
