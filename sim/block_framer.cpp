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

namespace {

Status Garbage() { return Status(Where::kSim, kUnexpectedType); }
Status NeedMore() { return Status::Declined(Where::kSim); }

}  // namespace

Status BlockFramer::Next(ReceivedBlock* block) {
  if (broken_) return Garbage();
  const size_t available = buffer_.size() - start_;
  if (available < 4) return NeedMore();
  const uint8_t* data = buffer_.data() + start_;
  if (GetU32(data) > kMaxVersion) {
    broken_ = true;
    return Garbage();
  }
  cBlockHeader header;
  uint32_t consumed = 0;
  const uint32_t limited = available > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(available);
  if (!DecodeBlockHeader(data, limited, &header, &consumed).ok()) return NeedMore();
  if (header.payload_length > kMaxPayload || header.last_block > 1) {
    broken_ = true;
    return Garbage();
  }
  if (available < consumed + static_cast<size_t>(header.payload_length)) return NeedMore();
  block->header = header;
  block->payload.assign(data + consumed, data + consumed + header.payload_length);
  start_ += consumed + header.payload_length;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  }
  return Status::Ok();
}

Status RequestAssembler::Add(ReceivedBlock block, std::vector<ReceivedBlock>* message) {
  const cBlockHeader& header = block.header;
  if (parts_.empty()) {
    if (header.block_number != 0) {
      return Status(Where::kSim, kNotFound,
                    "a later block of a message whose first block never came");
    }
    if (header.last_block == 1) {
      message->clear();
      message->push_back(std::move(block));
      return Status::Ok();
    }
    bytes_ = block.payload.size();
    parts_.push_back(std::move(block));
    return NeedMore();
  }
  const cBlockHeader& first = parts_.front().header;
  if (header.guid != first.guid || header.type != first.type ||
      header.block_number != parts_.back().header.block_number + 1) {
    parts_.clear();
    bytes_ = 0;
    return Status(Where::kSim, kNotFound, "a block out of its message's order");
  }
  bytes_ += block.payload.size();
  if (bytes_ > kMaxMessageBytes) {
    parts_.clear();
    bytes_ = 0;
    return Status(Where::kSim, kBlockFull, "a message larger than the server accepts");
  }
  const bool last = header.last_block == 1;
  parts_.push_back(std::move(block));
  if (!last) return NeedMore();
  message->swap(parts_);
  parts_.clear();
  bytes_ = 0;
  return Status::Ok();
}

}  // namespace hv::sim
