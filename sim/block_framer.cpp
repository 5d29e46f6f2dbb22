#include "sim/block_framer.h"

#include <utility>

#include "core/status.h"

namespace hv::sim {

void BlockFramer::Feed(const uint8_t* data, size_t n) {
  if (broken_ || n == 0) return;
  // Drop what has been handed out once it is the larger part, so the buffer stays small.
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
  }
  buffer_.insert(buffer_.end(), data, data + n);
}

int32_t BlockFramer::Next(ReceivedBlock* block) {
  if (broken_) return kUnexpectedType;
  const size_t available = buffer_.size() - start_;
  if (available < 4) return kDeclined;
  const uint8_t* data = buffer_.data() + start_;
  if (GetU32(data) > kMaxVersion) {
    broken_ = true;
    return kUnexpectedType;
  }
  cBlockHeader header;
  uint32_t consumed = 0;
  const uint32_t limited = available > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(available);
  if (DecodeBlockHeader(data, limited, &header, &consumed) != 0) return kDeclined;
  if (header.payload_length > kMaxPayload || header.last_block > 1) {
    broken_ = true;
    return kUnexpectedType;
  }
  if (available < consumed + static_cast<size_t>(header.payload_length)) return kDeclined;
  block->header = header;
  block->payload.assign(data + consumed, data + consumed + header.payload_length);
  start_ += consumed + header.payload_length;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  }
  return kOk;
}

int32_t RequestAssembler::Add(ReceivedBlock block, std::vector<ReceivedBlock>* message,
                              const char** reason) {
  const cBlockHeader& header = block.header;
  if (parts_.empty()) {
    if (header.block_number != 0) {
      *reason = "a later block of a message whose first block never came";
      return kNotFound;
    }
    if (header.last_block == 1) {
      message->clear();
      message->push_back(std::move(block));
      return kOk;
    }
    bytes_ = block.payload.size();
    parts_.push_back(std::move(block));
    return kDeclined;
  }
  const cBlockHeader& first = parts_.front().header;
  if (header.guid != first.guid || header.type != first.type ||
      header.block_number != parts_.back().header.block_number + 1) {
    *reason = "a block out of its message's order";
    parts_.clear();
    bytes_ = 0;
    return kNotFound;
  }
  bytes_ += block.payload.size();
  if (bytes_ > kMaxMessageBytes) {
    *reason = "a message larger than the server accepts";
    parts_.clear();
    bytes_ = 0;
    return kBlockFull;
  }
  const bool last = header.last_block == 1;
  parts_.push_back(std::move(block));
  if (!last) return kDeclined;
  message->swap(parts_);
  parts_.clear();
  bytes_ = 0;
  return kOk;
}

}  // namespace hv::sim
