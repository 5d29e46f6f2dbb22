// RequestReader: decodes the fields of one received request block, in the wire's encodings.
// Every read has a default, so a short or malformed payload yields defaults instead of
// failing: a field that does not fit in what remains is not read and consumes nothing, and a
// string whose count runs past the payload reads as empty, exactly as the client treats
// answers. The reader keeps a reference to the payload, which must outlive it.
#ifndef HV_SIM_REQUEST_READER_H_
#define HV_SIM_REQUEST_READER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hv::sim {

class RequestReader {
 public:
  explicit RequestReader(const std::vector<uint8_t>& payload);
  RequestReader(std::vector<uint8_t>&&) = delete;  // the payload must outlive the reader

  // A string field in the server's own form, UTF-8: a client sends Windows-1252 where the
  // text has a form there, UTF-8 otherwise.
  std::string String(const std::string& fallback = "");
  // A string field's bytes as they came, for a field that is only ever handed back to the
  // client (a Windows server does not convert what it echoes).
  std::string RawString();
  uint32_t U32(uint32_t fallback = 0);
  uint16_t U16(uint16_t fallback = 0);
  double F64(double fallback);
  // One blob chunk appended to *out. False when the chunk's count runs past the payload
  // (nothing is appended then); true when the chunk is whole or left out entirely.
  bool Chunk(std::string* out);
  uint32_t Remaining() const { return static_cast<uint32_t>(payload_.size() - position_); }

 private:
  // Reads a string field's text (up to its first NUL, never past its count); false when the
  // field is left out, so the caller keeps its fallback.
  bool ReadText(std::string* text);

  const std::vector<uint8_t>& payload_;
  size_t position_ = 0;
};

}  // namespace hv::sim

#endif  // HV_SIM_REQUEST_READER_H_
