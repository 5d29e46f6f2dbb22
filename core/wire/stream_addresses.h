// The addresses getaddrinfo finds for a TCP stream to or from a host and a numeric port. The
// client's connect and housesim's listener both resolve through here, so the two ask for the
// same kind of socket.
#ifndef HV_CORE_WIRE_STREAM_ADDRESSES_H_
#define HV_CORE_WIRE_STREAM_ADDRESSES_H_

#include <netdb.h>

#include <cstdint>
#include <memory>

namespace hv::wire {

struct FreeAddresses {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
// getaddrinfo's list, freed when its holder goes.
using StreamAddresses = std::unique_ptr<addrinfo, FreeAddresses>;

// Looks up `host` (null: the wildcard address with AI_PASSIVE, loopback without) and `port`
// for a stream socket; `flags` are getaddrinfo's AI_ flags besides AI_NUMERICSERV, which is
// always set. *found holds the list on success and is emptied otherwise. Returns getaddrinfo's
// own code (0 when found, an EAI_ value otherwise), which each caller words for its people.
[[nodiscard]] int ResolveStream(const char* host, uint32_t port, int flags, StreamAddresses* found);

}  // namespace hv::wire

#endif  // HV_CORE_WIRE_STREAM_ADDRESSES_H_
