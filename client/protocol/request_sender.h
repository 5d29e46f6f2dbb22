// The one way every request is sent: check the socket, begin the message with the request's
// type and the socket's ProtocolVersion, append the fields, send the block as the last one.
#ifndef HV_CLIENT_PROTOCOL_REQUEST_SENDER_H_
#define HV_CLIENT_PROTOCOL_REQUEST_SENDER_H_

#include <cstdint>

#include "client/protocol/remote_client_socket.h"
#include "client/protocol/socket_message_channel.h"
#include "core/status.h"

namespace hv {

// compose(channel) appends the fields and returns 0 (or 1, nothing appended) or a failure.
// Returns 0 or the first failure; kMissingArgument without a socket.
template <typename Compose>
[[nodiscard]] int32_t SendRequest(cRemoteClientSocket* socket, uint32_t type, Compose compose) {
  if (socket == nullptr) return hv::kMissingArgument;
  cSocketMessageChannel* channel = socket->Channel();
  if (channel == nullptr) return hv::kNotConnected;
  cRemoteClientSocket::cUse use(*socket);
  int32_t rc = channel->BeginMessage(type, socket->ProtocolVersion());
  if (rc < 0) return rc;
  rc = compose(*channel);
  if (rc < 0) {
    channel->AbandonMessage();
    return rc;
  }
  return channel->SendBlock(1);
}

// A request without payload.
[[nodiscard]] inline int32_t SendEmptyRequest(cRemoteClientSocket* socket, uint32_t type) {
  return SendRequest(socket, type, [](cSocketMessageChannel&) { return hv::kOk; });
}

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_REQUEST_SENDER_H_
