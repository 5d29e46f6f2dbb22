// BlockFramer: cuts the byte stream from one client into blocks without ever blocking. Bytes
// are fed as they arrive; a header is decoded once its 12 or 38 bytes are there, and a block
// is handed out once its whole payload has followed. Nothing read from the wire is trusted:
// a header announcing more than a client block can hold, or a version no client speaks,
// marks the stream as garbage.
#ifndef HV_SIM_BLOCK_FRAMER_H_
#define HV_SIM_BLOCK_FRAMER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/status.h"
#include "core/wire/block_header.h"

namespace hv::sim {

struct ReceivedBlock {
  cBlockHeader header;
  std::vector<uint8_t> payload;
};

class BlockFramer {
 public:
  // A client's block payload stays below the 64 KiB block capacity.
  static constexpr uint32_t kMaxPayload = 0xFFFF;
  // Versions above this are not a header at all.
  static constexpr uint32_t kMaxVersion = 255;

  void Feed(const uint8_t* data, size_t n);

  // Ok: *block holds the next whole block. Declined: more bytes are needed. A failure: the
  // stream is garbage and nothing more will come out of it.
  [[nodiscard]] Status Next(ReceivedBlock* block);

  // Bytes held that do not yet form a whole block.
  size_t Buffered() const { return buffer_.size() - start_; }

 private:
  std::vector<uint8_t> buffer_;
  size_t start_ = 0;
  bool broken_ = false;
};

// RequestAssembler: gathers the blocks of one multi-block request (blocks carry one GUID and
// consecutive numbers, as a client sends them) into a whole message.
class RequestAssembler {
 public:
  // The most payload one request may carry in all its blocks (command files).
  static constexpr size_t kMaxMessageBytes = 4u << 20;

  // Ok: *message holds a whole message. Declined: the block was kept, the message is not
  // complete. A failure: the block does not belong to the message in progress (wrong GUID or
  // number, or too large); the message in progress is dropped and the failure's message says
  // why.
  [[nodiscard]] Status Add(ReceivedBlock block, std::vector<ReceivedBlock>* message);

  bool InProgress() const { return !parts_.empty(); }

 private:
  std::vector<ReceivedBlock> parts_;
  size_t bytes_ = 0;
};

}  // namespace hv::sim

#endif  // HV_SIM_BLOCK_FRAMER_H_
