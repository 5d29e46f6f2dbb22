#include "sim/listener.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "core/system_error.h"
#include "core/wire/stream_addresses.h"

namespace hv::sim {

Status OpenListener(const std::string& host, uint16_t port, int* listen_fd, uint16_t* bound) {
  wire::StreamAddresses found;
  int rc = wire::ResolveStream(host.empty() ? nullptr : host.c_str(), port, AI_PASSIVE, &found);
  if (rc != 0) {
    return Status(Where::kSim, kCannotConnect, "cannot resolve " + host + ": " + gai_strerror(rc));
  }
  int fd = -1;
  const std::string where = "cannot listen on " + host + ":" + std::to_string(port);
  // The last address's refusal is the one told.
  Status refused(Where::kSim, kCannotConnect, where + ": no address to listen on");
  for (const addrinfo* a = found.get(); a != nullptr && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      refused = SystemError(Where::kSim, where, errno, kCannotConnect);
      continue;
    }
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 64) != 0) {
      refused = SystemError(Where::kSim, where, errno, kCannotConnect);
      close(fd);
      fd = -1;
    }
  }
  if (fd < 0) return refused;
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *bound =
      ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                          : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  *listen_fd = fd;
  return Status::Ok();
}

}  // namespace hv::sim
