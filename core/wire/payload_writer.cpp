#include "core/wire/payload_writer.h"

#include <cstring>

namespace hv::wire {

Status PayloadWriter::AppendBytes(const void* data, size_t n) {
  if (bytes_.size() + n >= kCapacity) return Status(Where::kProtocol, kBlockFull);
  const auto* start = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), start, start + n);
  return Status::Ok();
}

Status PayloadWriter::AppendU16(uint16_t value) {
  uint8_t bytes[2];
  PutU16(bytes, value);
  return AppendBytes(bytes, sizeof bytes);
}

Status PayloadWriter::AppendU32(uint32_t value) {
  uint8_t bytes[4];
  PutU32(bytes, value);
  return AppendBytes(bytes, sizeof bytes);
}

Status PayloadWriter::AppendF64(double value) {
  uint64_t bits = 0;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);
  uint8_t bytes[8];
  PutU32(bytes, static_cast<uint32_t>(bits));
  PutU32(bytes + 4, static_cast<uint32_t>(bits >> 32));
  return AppendBytes(bytes, sizeof bytes);
}

Status PayloadWriter::AppendString(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<uint8_t> field(8 + text.size() + 1, 0);
  PutU32(field.data() + 4, static_cast<uint32_t>(text.size() + 1));
  std::memcpy(field.data() + 8, text.data(), text.size());
  return AppendBytes(field.data(), field.size());
}

Status PayloadWriter::AppendChunk(const uint8_t* data, size_t n) {
  if (bytes_.size() + 8 + n >= kCapacity) return Status(Where::kProtocol, kBlockFull);
  Status written = AppendU32(0);
  if (written.ok()) written = AppendU32(static_cast<uint32_t>(n));
  if (written.ok() && n > 0) written = AppendBytes(data, n);
  return written;
}

std::vector<uint8_t> EncodeBlock(cBlockHeader header, const std::vector<uint8_t>& payload) {
  header.payload_length = static_cast<uint32_t>(payload.size());
  std::vector<uint8_t> image(BlockHeaderSize(header.version));
  EncodeBlockHeader(header, image.data(), static_cast<uint32_t>(image.size()));
  image.insert(image.end(), payload.begin(), payload.end());
  return image;
}

}  // namespace hv::wire
