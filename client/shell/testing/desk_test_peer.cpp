#include "client/shell/testing/desk_test_peer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/wire/block_header.h"

namespace hv {

cDeskTestPeer::cDeskTestPeer() { Listen(); }

bool cDeskTestPeer::Listen() {
  if (listen_fd_ >= 0) return true;
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port_));
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listen_fd_, 4) != 0) {
    return false;
  }
  socklen_t size = sizeof address;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  return true;
}

cDeskTestPeer::~cDeskTestPeer() { Close(); }

void cDeskTestPeer::Close() {
  if (fd_ >= 0) close(fd_);
  if (listen_fd_ >= 0) close(listen_fd_);
  fd_ = listen_fd_ = -1;
}

std::vector<cDeskTestPeer::cBlock> cDeskTestPeer::Take() {
  if (listen_fd_ >= 0) {
    const int accepted = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (accepted >= 0) {
      if (fd_ >= 0) close(fd_);
      fd_ = accepted;
      pending_.clear();
    }
  }
  if (fd_ >= 0) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd_, buffer, sizeof buffer)) > 0) pending_.append(buffer, n);
  }
  std::vector<cBlock> blocks;
  for (;;) {
    cBlockHeader header;
    uint32_t consumed = 0;
    const auto* data = reinterpret_cast<const uint8_t*>(pending_.data());
    if (!DecodeBlockHeader(data, static_cast<uint32_t>(pending_.size()), &header, &consumed).ok() ||
        pending_.size() < consumed + header.payload_length) {
      break;
    }
    blocks.push_back(cBlock{header.type, pending_.substr(consumed, header.payload_length)});
    pending_.erase(0, consumed + header.payload_length);
  }
  return blocks;
}

std::vector<uint32_t> cDeskTestPeer::TakeTypes() {
  std::vector<uint32_t> types;
  for (const cBlock& block : Take()) types.push_back(block.type);
  return types;
}

}  // namespace hv
