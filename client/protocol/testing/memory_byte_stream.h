// cMemoryByteStream: an in-memory cByteStream for tests. Incoming bytes are scripted
// (now, or once the fake clock reaches a moment), may be handed out in small pieces, and
// sends and receives can be made to fail. Waiting for bytes advances the bound cFakeClock
// instead of sleeping, so a read that gives up after 15 s takes no real time.
#ifndef HV_CLIENT_PROTOCOL_TESTING_MEMORY_BYTE_STREAM_H_
#define HV_CLIENT_PROTOCOL_TESTING_MEMORY_BYTE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "client/protocol/byte_stream.h"
#include "core/status.h"

namespace hv {

class cFakeClock;

class cMemoryByteStream : public cByteStream {
 public:
  // The clock is not owned and must outlive the stream.
  explicit cMemoryByteStream(cFakeClock& clock);
  cMemoryByteStream(const cMemoryByteStream&) = delete;
  cMemoryByteStream& operator=(const cMemoryByteStream&) = delete;

  // --- scripting what arrives ---
  void Feed(const std::vector<uint8_t>& bytes);
  void Feed(const void* data, size_t n);
  // The bytes become readable once the clock has advanced delay_ms from now.
  void FeedAfter(uint32_t delay_ms, const std::vector<uint8_t>& bytes);
  // Each Receive hands out at most this many bytes (0 = no limit, the default).
  void SetMaxPieceSize(uint32_t n) { max_piece_ = n; }
  // The peer closes: once every fed byte has been read, Receive and PeekByte report failure.
  void Close() { closed_ = true; }
  // Bytes that are readable now plus those scheduled for later.
  size_t PendingBytes() const;

  // --- faults ---
  // After `after_calls` more successful calls, the next Send (or Receive) returns `status`
  // and sends (or receives) nothing. Later calls succeed again.
  void FailSend(uint32_t after_calls = 0, Status status = Status(Where::kSocket, kSendFailed));
  void FailReceive(uint32_t after_calls = 0,
                   Status status = Status(Where::kSocket, kReceiveFailed));

  // --- what was sent ---
  const std::vector<uint8_t>& Sent() const { return sent_; }
  // The size of every Send call that succeeded, in order.
  const std::vector<uint32_t>& SendSizes() const { return send_sizes_; }
  void ClearSent();

  // Runs at the start of every WaitReadable, before time advances: a test can feed bytes
  // or re-enter the code under test from here, as an event handler would.
  std::function<void()> on_wait;

  // cByteStream
  [[nodiscard]] Status Send(const uint8_t* data, uint32_t n) override;
  [[nodiscard]] Status Receive(uint8_t* data, uint32_t n, uint32_t* received) override;
  void WaitReadable(uint32_t ms) override;
  [[nodiscard]] Status PeekByte() override;

 private:
  struct ScheduledBytes {
    uint32_t due_tick;
    std::vector<uint8_t> bytes;
  };
  // Moves scheduled bytes whose moment has come into the readable queue.
  void ReleaseDue();
  size_t Readable();

  cFakeClock& clock_;
  std::deque<uint8_t> readable_;
  std::vector<ScheduledBytes> scheduled_;  // in order of feeding
  std::vector<uint8_t> sent_;
  std::vector<uint32_t> send_sizes_;
  uint32_t max_piece_ = 0;
  bool closed_ = false;
  int64_t send_fail_countdown_ = -1;  // -1: no failure armed
  Status send_fail_status_;
  int64_t receive_fail_countdown_ = -1;
  Status receive_fail_status_;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_TESTING_MEMORY_BYTE_STREAM_H_
