// cMemorySocket: a client socket without a server, its channel reading and writing a
// cMemoryByteStream on a fake clock, for tests that feed or check one block at a time.
#ifndef HV_CLIENT_PROTOCOL_TESTING_MEMORY_SOCKET_H_
#define HV_CLIENT_PROTOCOL_TESTING_MEMORY_SOCKET_H_

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/protocol/testing/memory_byte_stream.h"

namespace hv {

namespace test {

struct cMemorySocket {
  // services may be null (a socket that only sends); when given it must outlive the socket.
  explicit cMemorySocket(const cSessionServices* services = nullptr)
      : socket(nullptr, context, services) {
    socket.Channel()->SetStream(&stream);
  }
  // The socket and the stream point into this object.
  cMemorySocket(const cMemorySocket&) = delete;
  cMemorySocket& operator=(const cMemorySocket&) = delete;

  cFakeClock clock;
  cProtocolContext context{clock};
  cMemoryByteStream stream{clock};
  cRemoteClientSocket socket;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_TESTING_MEMORY_SOCKET_H_
