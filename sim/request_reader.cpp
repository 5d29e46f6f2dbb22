#include "sim/request_reader.h"

#include "core/status.h"
#include "core/string/sw_string.h"
#include "core/string/wire_text.h"

namespace hv::sim {

RequestReader::RequestReader(const std::vector<uint8_t>& payload) {
  // A payload of up to 64 KiB always fits; on failure the reader simply yields defaults.
  if (block_.SetIncoming(payload.data(), static_cast<uint32_t>(payload.size())) != kOk) {
    block_.DropIncoming();
  }
}

std::string RequestReader::String(const std::string& fallback) {
  swString text(fallback.c_str());
  if (block_.ReadString(&text) != kOk) return fallback;
  return TextFromWire(text.CStr());
}

std::string RequestReader::RawString() {
  swString text;
  if (block_.ReadString(&text) != kOk) return std::string();
  return std::string(text.CStr());
}

uint32_t RequestReader::U32(uint32_t fallback) {
  uint32_t value = fallback;
  if (block_.ReadU32(&value) != kOk) return fallback;
  return value;
}

uint16_t RequestReader::U16(uint16_t fallback) {
  uint16_t value = fallback;
  if (block_.ReadU16(&value) != kOk) return fallback;
  return value;
}

double RequestReader::F64(double fallback) {
  double value = fallback;
  if (block_.ReadF64(&value) != kOk) return fallback;
  return value;
}

bool RequestReader::Chunk(std::string* out) {
  if (block_.Remaining() < 8) return true;
  uint32_t reserved = 0;
  uint32_t count = 0;
  if (block_.ReadU32(&reserved) != kOk || block_.ReadU32(&count) != kOk) return false;
  if (count > block_.Remaining()) return false;
  size_t old_size = out->size();
  out->resize(old_size + count);
  if (count > 0 && block_.ReadBytes(out->data() + old_size, count) != kOk) {
    out->resize(old_size);
    return false;
  }
  return true;
}

}  // namespace hv::sim
