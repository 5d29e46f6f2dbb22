#include "core/wire/block_header.h"

namespace hv {

void PutU16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t GetU16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | (in[1] << 8)); }

uint32_t GetU32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
         (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

uint32_t BlockHeaderSize(uint32_t version) {
  return version >= kFirstLongHeaderVersion ? kLongHeaderSize : kShortHeaderSize;
}

uint32_t EncodeBlockHeader(const cBlockHeader& header, uint8_t* out, uint32_t out_size) {
  const uint32_t size = BlockHeaderSize(header.version);
  if (out == nullptr || out_size < size) return 0;
  PutU32(out, header.version);
  PutU32(out + 4, header.type);
  if (size == kShortHeaderSize) {
    PutU32(out + 8, header.payload_length);
    return size;
  }
  PutU32(out + 8, header.reserved);
  header.guid.ToBytes(out + 12);
  PutU32(out + 28, header.block_number);
  PutU16(out + 32, header.last_block);
  PutU32(out + 34, header.payload_length);
  return size;
}

Status DecodeBlockHeader(const uint8_t* data, uint32_t size, cBlockHeader* header,
                         uint32_t* consumed) {
  if (data == nullptr || size < 4) return Status::Declined(Where::kProtocol);
  const uint32_t version = GetU32(data);
  const uint32_t needed = BlockHeaderSize(version);
  if (size < needed) return Status::Declined(Where::kProtocol);
  cBlockHeader decoded;
  decoded.version = version;
  decoded.type = GetU32(data + 4);
  if (needed == kShortHeaderSize) {
    decoded.reserved = 0;
    decoded.guid = swGuid();
    decoded.block_number = 0;
    decoded.last_block = 1;
    decoded.payload_length = GetU32(data + 8);
  } else {
    decoded.reserved = GetU32(data + 8);
    decoded.guid.FromBytes(data + 12);
    decoded.block_number = GetU32(data + 28);
    decoded.last_block = GetU16(data + 32);
    decoded.payload_length = GetU32(data + 34);
  }
  if (header != nullptr) *header = decoded;
  if (consumed != nullptr) *consumed = needed;
  return Status::Ok();
}

}  // namespace hv
