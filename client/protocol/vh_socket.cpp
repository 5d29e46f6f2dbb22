#include "client/protocol/vh_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "core/status.h"
#include "core/system_error.h"
#include "core/wire/stream_addresses.h"

namespace hv {

std::string DescribeConnectFailure(int resolve_error, int connect_errno) {
  switch (resolve_error) {
    case 0: break;
    case EAI_NONAME:
    case EAI_NODATA:
    case EAI_FAIL:
    case EAI_ADDRFAMILY: return "host not found";
    case EAI_AGAIN: return "host not found (the name server did not answer)";
    case EAI_SYSTEM: return std::string("host not found: ") + SystemReason(connect_errno);
    default: return std::string("host not found: ") + gai_strerror(resolve_error);
  }
  switch (connect_errno) {
    case ECONNREFUSED: return "connection refused";
    case ETIMEDOUT: return "timed out";
    case ENETUNREACH: return "network unreachable";
    case EHOSTUNREACH: return "host unreachable";
    case 0: return "connection failed";
    default: return SystemReason(connect_errno);
  }
}

cVhSocket::~cVhSocket() {
  if (fd_ >= 0) close(fd_);
}

void cVhSocket::Pump() {
  if (pump_) {
    // A copy: the hook may replace itself (or the socket's owner may) while it runs.
    std::function<void()> pump = pump_;
    pump();
  }
}

bool cVhSocket::WaitFor(short events, uint32_t ms) {
  if (no_waiting_) return false;
  Pump();
  if (fd_ < 0) return false;
  pollfd p{fd_, events, 0};
  int rc = poll(&p, 1, static_cast<int>(ms));
  return rc > 0;
}

Status cVhSocket::Connect(const char* address, uint32_t port) {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
  broken_ = false;
  ahead_begin_ = ahead_end_ = 0;
  if (address == nullptr || *address == '\0') return CannotConnect("no address given");
  if (port > 65535) return CannotConnect("the port is above 65535");

  wire::StreamAddresses found;
  if (wire::ResolveStream(address, port, AI_ADDRCONFIG, &found) != 0) {
    // AI_ADDRCONFIG hides loopback-only families on hosts without other addresses.
    const int resolve_error = wire::ResolveStream(address, port, 0, &found);
    if (resolve_error != 0) return CannotConnect(DescribeConnectFailure(resolve_error, errno));
  }

  bool made = false;
  int failure = 0;
  for (const addrinfo* ai = found.get(); ai != nullptr && !made; ai = ai->ai_next) {
    int fd = socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) {
      failure = errno;
      continue;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof(on));
    fd_ = fd;
    bool connected = ::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0;
    if (!connected) failure = errno;
    if (!connected && errno == EINPROGRESS) {
      // Still waiting when the limit passes: that is a time-out.
      failure = ETIMEDOUT;
      for (uint32_t waited = 0; waited < kStallLimitMs && fd_ == fd; waited += kWaitStepMs) {
        if (WaitFor(POLLOUT, kWaitStepMs)) {
          int error = 0;
          socklen_t len = sizeof(error);
          connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
          failure = error;
          break;
        }
      }
      if (fd_ != fd) failure = ECANCELED;  // a nested Connect took over meanwhile
    }
    if (connected && fd_ == fd) {
      made = true;
    } else {
      if (fd_ == fd) fd_ = -1;
      close(fd);
    }
  }
  if (!made) return CannotConnect(DescribeConnectFailure(0, failure));
  return Status();
}

Status cVhSocket::CannotConnect(std::string reason) {
  return Status(Where::kSocket, hv::kCannotConnect, std::move(reason));
}

void cVhSocket::ShutdownSending() {
  if (fd_ >= 0) shutdown(fd_, SHUT_WR);
}

void cVhSocket::Abandon() {
  broken_ = true;
  ahead_begin_ = ahead_end_ = 0;
  // The peer sees the end at once, and a read still waiting on us stops waiting.
  if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
}

Status cVhSocket::Send(const uint8_t* data, uint32_t n) {
  const Status failed(Where::kSocket, hv::kSendFailed);
  if (fd_ < 0 || broken_) return failed;
  uint32_t sent = 0;
  uint32_t stalled_ms = 0;
  while (sent < n) {
    ssize_t rc = ::send(fd_, data + sent, n - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (rc > 0) {
      sent += static_cast<uint32_t>(rc);
      stalled_ms = 0;
      continue;
    }
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (no_waiting_) {
        // What went out may end in the middle of a block: nothing may follow it.
        if (sent > 0) broken_ = true;
        return failed;
      }
      if (stalled_ms >= kStallLimitMs) return failed;
      WaitFor(POLLOUT, kWaitStepMs);
      stalled_ms += kWaitStepMs;
      // The pump may have let go of this socket meanwhile.
      if (fd_ < 0 || broken_) return failed;
      continue;
    }
    broken_ = true;
    return failed;
  }
  return Status::Ok();
}

Status cVhSocket::ReceiveFromDescriptor(uint8_t* data, uint32_t n, uint32_t* received,
                                        uint8_t* then, uint32_t then_n) {
  *received = 0;
  iovec pieces[2] = {{data, n}, {then, then_n}};
  msghdr message{};
  message.msg_iov = pieces;
  message.msg_iovlen = then != nullptr ? 2 : 1;
  while (true) {
    ssize_t rc = ::recvmsg(fd_, &message, MSG_DONTWAIT);
    if (rc > 0) {
      *received = static_cast<uint32_t>(rc);
      return Status::Ok();
    }
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      return Status::Declined(Where::kSocket);
    broken_ = true;  // end of stream or a real error: nothing more will ever come
    return Status(Where::kSocket, hv::kReceiveFailed);
  }
}

Status cVhSocket::Receive(uint8_t* data, uint32_t n, uint32_t* received) {
  *received = 0;
  if (fd_ < 0) return Status(Where::kSocket, hv::kReceiveFailed);
  if (n == 0) return Status::Declined(Where::kSocket);
  // Bytes read ahead are still the peer's: they are handed out even after its end was seen.
  if (ahead_begin_ < ahead_end_) {
    *received = TakeReadAhead(data, n);
    return Status::Ok();
  }
  if (broken_) return Status(Where::kSocket, hv::kReceiveFailed);
  if (read_ahead_ == nullptr) {
    read_ahead_.reset(new (std::nothrow) uint8_t[kReadAheadSize]);
    if (read_ahead_ == nullptr) return ReceiveFromDescriptor(data, n, received);
  }
  // A large read goes straight to its destination, so the kernel alone copies its bytes;
  // what the peer sent after them (the next block's header) fills the read-ahead buffer in
  // the same call, sparing a system call for each block.
  uint32_t count = 0;
  if (n >= kReadAheadSize) {
    Status rc = ReceiveFromDescriptor(data, n, &count, read_ahead_.get(), kReadAheadSize);
    if (!rc.ok()) return rc;
    if (count > n) {
      ahead_begin_ = 0;
      ahead_end_ = count - n;
      count = n;
    }
    *received = count;
    return rc;
  }
  Status rc = ReceiveFromDescriptor(read_ahead_.get(), kReadAheadSize, &count);
  if (!rc.ok()) return rc;
  ahead_begin_ = 0;
  ahead_end_ = count;
  *received = TakeReadAhead(data, n);
  return rc;
}

uint32_t cVhSocket::TakeReadAhead(uint8_t* data, uint32_t n) {
  const uint32_t count = std::min(n, ahead_end_ - ahead_begin_);
  std::memcpy(data, read_ahead_.get() + ahead_begin_, count);
  ahead_begin_ += count;
  if (ahead_begin_ == ahead_end_) ahead_begin_ = ahead_end_ = 0;
  return count;
}

void cVhSocket::WaitReadable(uint32_t ms) {
  if (ahead_begin_ < ahead_end_) return;  // readable now, without asking the descriptor
  WaitFor(POLLIN, ms);
}

Status cVhSocket::PeekByte() {
  if (fd_ < 0) return Status(Where::kSocket, hv::kReceiveFailed);
  if (ahead_begin_ < ahead_end_) return Status::Ok();
  if (broken_) return Status(Where::kSocket, hv::kReceiveFailed);
  // What has arrived is read ahead rather than peeked at: the block's reads take it next
  // anyway, and a peek would cost a system call of its own before them.
  if (read_ahead_ == nullptr) read_ahead_.reset(new (std::nothrow) uint8_t[kReadAheadSize]);
  if (read_ahead_ != nullptr) {
    uint32_t count = 0;
    Status rc = ReceiveFromDescriptor(read_ahead_.get(), kReadAheadSize, &count);
    if (rc.ok()) {
      ahead_begin_ = 0;
      ahead_end_ = count;
    }
    return rc;
  }
  // No memory for the buffer: the byte is only looked at, and the reads take it.
  uint8_t byte = 0;
  while (true) {
    ssize_t rc = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (rc > 0) return Status::Ok();
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      return Status::Declined(Where::kSocket);
    broken_ = true;
    return Status(Where::kSocket, hv::kReceiveFailed);
  }
}

}  // namespace hv
