#include "client/protocol/testing/memory_byte_stream.h"

#include <algorithm>
#include <utility>

#include "client/platform/testing/fake_clock.h"

namespace hv {

cMemoryByteStream::cMemoryByteStream(cFakeClock& clock) : clock_(clock) {}

void cMemoryByteStream::Feed(const std::vector<uint8_t>& bytes) {
  readable_.insert(readable_.end(), bytes.begin(), bytes.end());
}

void cMemoryByteStream::Feed(const void* data, size_t n) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  readable_.insert(readable_.end(), bytes, bytes + n);
}

void cMemoryByteStream::FeedAfter(uint32_t delay_ms, const std::vector<uint8_t>& bytes) {
  scheduled_.push_back({clock_.TickCount() + delay_ms, bytes});
}

size_t cMemoryByteStream::PendingBytes() const {
  size_t total = readable_.size();
  for (const ScheduledBytes& s : scheduled_) total += s.bytes.size();
  return total;
}

void cMemoryByteStream::FailSend(uint32_t after_calls, Status status) {
  send_fail_countdown_ = after_calls;
  send_fail_status_ = std::move(status);
}

void cMemoryByteStream::FailReceive(uint32_t after_calls, Status status) {
  receive_fail_countdown_ = after_calls;
  receive_fail_status_ = std::move(status);
}

void cMemoryByteStream::ClearSent() {
  sent_.clear();
  send_sizes_.clear();
}

void cMemoryByteStream::ReleaseDue() {
  // Scheduled pieces arrive in the order they were fed, like bytes on one connection.
  const uint32_t now = clock_.TickCount();
  while (!scheduled_.empty()) {
    const ScheduledBytes& first = scheduled_.front();
    // Wrap-safe "has the moment come": the distance from now back to it is small.
    if (static_cast<int32_t>(now - first.due_tick) < 0) break;
    readable_.insert(readable_.end(), first.bytes.begin(), first.bytes.end());
    scheduled_.erase(scheduled_.begin());
  }
}

size_t cMemoryByteStream::Readable() {
  ReleaseDue();
  return readable_.size();
}

Status cMemoryByteStream::Send(const uint8_t* data, uint32_t n) {
  if (send_fail_countdown_ == 0) {
    send_fail_countdown_ = -1;
    return send_fail_status_;
  }
  if (send_fail_countdown_ > 0) --send_fail_countdown_;
  if (n > 0) sent_.insert(sent_.end(), data, data + n);
  send_sizes_.push_back(n);
  return Status::Ok();
}

Status cMemoryByteStream::Receive(uint8_t* data, uint32_t n, uint32_t* received) {
  *received = 0;
  if (receive_fail_countdown_ == 0) {
    receive_fail_countdown_ = -1;
    return receive_fail_status_;
  }
  if (receive_fail_countdown_ > 0) --receive_fail_countdown_;
  size_t available = Readable();
  if (available == 0) {
    return closed_ && scheduled_.empty() ? Status(Where::kSocket, kReceiveFailed)
                                         : Status::Declined(Where::kSocket);
  }
  size_t count = std::min<size_t>(available, n);
  if (max_piece_ > 0) count = std::min<size_t>(count, max_piece_);
  if (count == 0) return Status::Declined(Where::kSocket);
  std::copy_n(readable_.begin(), count, data);
  readable_.erase(readable_.begin(), readable_.begin() + static_cast<std::ptrdiff_t>(count));
  *received = static_cast<uint32_t>(count);
  return Status::Ok();
}

void cMemoryByteStream::WaitReadable(uint32_t ms) {
  if (on_wait) on_wait();
  if (Readable() > 0 || (closed_ && scheduled_.empty())) return;
  // Nothing to read: time passes until the next scheduled piece arrives or ms run out.
  uint32_t step = ms;
  if (!scheduled_.empty()) {
    uint32_t until_due = scheduled_.front().due_tick - clock_.TickCount();
    step = std::min(step, until_due);
  }
  clock_.Advance(step);
}

Status cMemoryByteStream::PeekByte() {
  if (Readable() > 0) return Status::Ok();
  return closed_ && scheduled_.empty() ? Status(Where::kSocket, kReceiveFailed)
                                       : Status::Declined(Where::kSocket);
}

}  // namespace hv
