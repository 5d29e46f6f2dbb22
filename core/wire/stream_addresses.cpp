#include "core/wire/stream_addresses.h"

#include <sys/socket.h>

#include <string>

namespace hv::wire {

int ResolveStream(const char* host, uint32_t port, int flags, StreamAddresses* found) {
  found->reset();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags | AI_NUMERICSERV;
  const std::string service = std::to_string(port);
  addrinfo* list = nullptr;
  const int rc = getaddrinfo(host, service.c_str(), &hints, &list);
  if (rc == 0) found->reset(list);
  return rc;
}

}  // namespace hv::wire
