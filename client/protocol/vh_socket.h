// cVhSocket: a TCP connection to the server as a cByteStream. Connecting resolves IPv4,
// IPv6 and host names and turns keep-alive on. The descriptor is non-blocking: a send
// that must wait, a read that waits for bytes and the connect itself wait with poll() in
// short steps and run the pump hook between them, so the window keeps working.
//
// Small reads are served from one read-ahead buffer of kReadAheadSize bytes, filled with
// one recv() at a time: a block's header comes in several small exact reads, and a stream
// of small answers would otherwise cost a system call for each piece. A read of
// kReadAheadSize bytes or more (a large payload) goes straight to its destination once the
// buffered bytes are handed out, so no payload byte is copied twice; the same call reads on
// into the emptied read-ahead buffer, which so holds the next block's header. PeekByte reads
// what has arrived into that buffer instead of peeking at it, so that asking whether a block
// is there and reading it cost one system call together. Bytes read ahead count as readable
// for PeekByte and WaitReadable, since the descriptor no longer shows them.
//
// Once the peer has closed its end (or the connection broke) the socket remembers it:
// reads, peeks and sends fail from then on (after the bytes already read ahead) instead of
// reporting a readable end of stream over and over. Sends never raise SIGPIPE.
#ifndef HV_CLIENT_PROTOCOL_VH_SOCKET_H_
#define HV_CLIENT_PROTOCOL_VH_SOCKET_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/protocol/byte_stream.h"
#include "core/status.h"

namespace hv {

// The reason for a failed connect in a few words: from getaddrinfo's error when the name
// could not be resolved (resolve_error != 0), else from the connect's errno.
std::string DescribeConnectFailure(int resolve_error, int connect_errno);

class cVhSocket : public cByteStream {
 public:
  // How long a send may go without progress, and a connect may take, before giving up.
  static constexpr uint32_t kStallLimitMs = 30000;
  static constexpr uint32_t kWaitStepMs = 10;
  static constexpr uint32_t kReadAheadSize = 16384;

  cVhSocket() = default;
  cVhSocket(const cVhSocket&) = delete;
  cVhSocket& operator=(const cVhSocket&) = delete;
  ~cVhSocket() override;  // closes the descriptor

  // Resolves `address` (dotted IPv4, IPv6 or host name) and connects to the first address
  // that accepts. Ok, or kCannotConnect (no descriptor is kept then) with the reason as its
  // message, in a few words ("connection refused", "host not found", "timed out" ...).
  [[nodiscard]] Status Connect(const char* address, uint32_t port);

  int Descriptor() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  // True once an end of stream or an error was seen.
  bool Broken() const { return broken_; }

  // Shuts down the sending side (the server sees the end of our stream).
  void ShutdownSending();
  // Makes every later read, peek and send fail at once, bytes read ahead included (the
  // socket is being let go of while a wait on it may still be running further up the stack).
  void Abandon();

  // From now on nothing waits: a send that the socket cannot take at once fails (and breaks
  // the socket, as part of a block may have gone), and a wait for bytes returns at once.
  // For the end of the program, which must never wait on the server.
  void StopWaiting() { no_waiting_ = true; }
  bool Waits() const { return !no_waiting_; }

  // Runs pending events while a send, read or connect waits. None: the waits just wait.
  void SetPumpHook(std::function<void()> pump) { pump_ = std::move(pump); }

  // cByteStream
  [[nodiscard]] Status Send(const uint8_t* data, uint32_t n) override;
  [[nodiscard]] Status Receive(uint8_t* data, uint32_t n, uint32_t* received) override;
  void WaitReadable(uint32_t ms) override;
  [[nodiscard]] Status PeekByte() override;

 private:
  // `reason` as kCannotConnect.
  static Status CannotConnect(std::string reason);
  // poll() for `events` up to ms, after running the pump hook. True when ready.
  bool WaitFor(short events, uint32_t ms);
  void Pump();
  // One receive without waiting, into data and, once data is full, on into then[0, then_n),
  // the count of both in *received: ok, declined when nothing has arrived, or kReceiveFailed
  // (and the socket broken) at the end of the stream or on an error.
  Status ReceiveFromDescriptor(uint8_t* data, uint32_t n, uint32_t* received,
                               uint8_t* then = nullptr, uint32_t then_n = 0);
  // Hands out up to n bytes from the read-ahead buffer (which holds at least one): the count.
  uint32_t TakeReadAhead(uint8_t* data, uint32_t n);

  int fd_ = -1;
  bool broken_ = false;
  bool no_waiting_ = false;
  std::function<void()> pump_;
  // Allocated on the first small read and kept; [ahead_begin_, ahead_end_) is unread.
  std::unique_ptr<uint8_t[]> read_ahead_;
  uint32_t ahead_begin_ = 0;
  uint32_t ahead_end_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_VH_SOCKET_H_
