// The one way every request is sent: check the socket, begin the message with the request's
// type and the socket's ProtocolVersion, append the fields, send the block as the last one.
#ifndef HV_CLIENT_PROTOCOL_REQUEST_SENDER_H_
#define HV_CLIENT_PROTOCOL_REQUEST_SENDER_H_

#include <cstdint>

#include "client/protocol/remote_client_socket.h"
#include "client/protocol/socket_message_channel.h"
#include "core/status.h"

namespace hv {

// compose(channel) appends the fields and returns the channel's status: ok (or declined,
// nothing appended) or the failure. The result is ok or the first failure; kMissingArgument
// without a socket, kNotConnected without a protocol channel.
template <typename Compose>
[[nodiscard]] Status SendRequest(cRemoteClientSocket* socket, uint32_t type, Compose compose) {
  if (socket == nullptr) return Status(Where::kProtocol, hv::kMissingArgument);
  cSocketMessageChannel* channel = socket->Channel();
  if (channel == nullptr) return Status(Where::kProtocol, hv::kNotConnected);
  cRemoteClientSocket::cUse use(*socket);
  Status status = channel->BeginMessage(type, socket->ProtocolVersion());
  if (status.failed()) return status;
  status = compose(*channel);
  if (status.failed()) {
    channel->AbandonMessage();
    return status;
  }
  return channel->SendBlock(1);
}

// One field of a request, by its wire form: a string, u16, u32 or f64. Other types are
// refused, so that a literal cannot silently pick a width.
inline Status AppendField(cSocketMessageChannel& c, const char* text) {
  return c.AppendString(text);
}
inline Status AppendField(cSocketMessageChannel& c, uint16_t value) { return c.AppendU16(value); }
inline Status AppendField(cSocketMessageChannel& c, uint32_t value) { return c.AppendU32(value); }
inline Status AppendField(cSocketMessageChannel& c, double value) { return c.AppendF64(value); }
template <typename T>
Status AppendField(cSocketMessageChannel& c, T value) = delete;

// A request whose payload is these fields in order (none: no payload). The first failing
// field ends it.
template <typename... Fields>
[[nodiscard]] Status SendFields(cRemoteClientSocket* socket, uint32_t type,
                                const Fields&... fields) {
  return SendRequest(socket, type, [&]([[maybe_unused]] cSocketMessageChannel& c) {
    Status status;
    static_cast<void>((!(status = AppendField(c, fields)).failed() && ...));
    return status;
  });
}

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_REQUEST_SENDER_H_
