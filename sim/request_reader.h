// RequestReader: decodes the fields of one received request block with the message format's
// readers. Every read has a default, so a short or malformed payload yields defaults instead
// of failing (a field that does not fit is not read), exactly as the client treats answers.
#ifndef HV_SIM_REQUEST_READER_H_
#define HV_SIM_REQUEST_READER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/protocol/socket_message_block.h"

namespace hv::sim {

class RequestReader {
 public:
  explicit RequestReader(const std::vector<uint8_t>& payload);

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
  uint32_t Remaining() const { return block_.Remaining(); }

 private:
  cSocketMessageBlock block_;
};

}  // namespace hv::sim

#endif  // HV_SIM_REQUEST_READER_H_
