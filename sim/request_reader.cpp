#include "sim/request_reader.h"

#include <cstring>

#include "core/string/wire_text.h"
#include "core/wire/block_header.h"

namespace hv::sim {

RequestReader::RequestReader(const std::vector<uint8_t>& payload) : payload_(payload) {}

bool RequestReader::ReadText(std::string* text) {
  U32();  // reserved
  if (Remaining() < 4) return false;
  const uint32_t count = U32();
  if (count > Remaining()) {
    text->clear();
    return true;
  }
  const char* start = reinterpret_cast<const char*>(payload_.data() + position_);
  text->assign(start, strnlen(start, count));
  position_ += count;
  return true;
}

std::string RequestReader::String(const std::string& fallback) {
  std::string text;
  if (!ReadText(&text)) return fallback;
  return TextFromWire(text);
}

std::string RequestReader::RawString() {
  std::string text;
  if (!ReadText(&text)) return std::string();
  return text;
}

uint32_t RequestReader::U32(uint32_t fallback) {
  if (Remaining() < 4) return fallback;
  const uint32_t value = GetU32(payload_.data() + position_);
  position_ += 4;
  return value;
}

uint16_t RequestReader::U16(uint16_t fallback) {
  if (Remaining() < 2) return fallback;
  const uint16_t value = GetU16(payload_.data() + position_);
  position_ += 2;
  return value;
}

double RequestReader::F64(double fallback) {
  if (Remaining() < 8) return fallback;
  const uint64_t bits = static_cast<uint64_t>(GetU32(payload_.data() + position_)) |
                        (static_cast<uint64_t>(GetU32(payload_.data() + position_ + 4)) << 32);
  position_ += 8;
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool RequestReader::Chunk(std::string* out) {
  if (Remaining() < 8) return true;
  U32();  // reserved
  const uint32_t count = U32();
  if (count > Remaining()) return false;
  out->append(reinterpret_cast<const char*>(payload_.data() + position_), count);
  position_ += count;
  return true;
}

}  // namespace hv::sim
