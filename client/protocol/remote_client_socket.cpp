#include "client/protocol/remote_client_socket.h"

#include "client/platform/clock.h"
#include "client/protocol/answer_dispatch.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/session_services.h"
#include "core/status.h"

namespace hv {

cRemoteClientSocket::cRemoteClientSocket(cServerConnection* owner, cProtocolContext& context,
                                         const cSessionServices* services)
    : owner_(owner), context_(context), services_(services), channel_(this, context) {}

cRemoteClientSocket::~cRemoteClientSocket() = default;

int32_t cRemoteClientSocket::ProcessIncoming(uint32_t* type) {
  if (type != nullptr) *type = 0;
  uint32_t now = context_.Clock().TickCount();
  if (processing_ != 0 && now - processing_start_ < kProcessingGuardMs) return hv::kDeclined;
  cUse use(*this);
  processing_start_ = now;
  processing_ = 1;
  int32_t rc = channel_.ReceiveAndHandleBlock(*this, type);
  processing_ = 0;
  return rc;
}

int32_t cRemoteClientSocket::Dispatch(cSocketMessage* message, cSocketMessageBlock& block) {
  static const cSessionServices kNoServices;
  static const swString kNoUser;
  const cSessionServices& services = services_ != nullptr ? *services_ : kNoServices;
  const swString& user = owner_ != nullptr ? owner_->UserName() : kNoUser;
  // The channel speaks in codes: it ends the connection on a negative one and shows it.
  return DispatchAnswer(cAnswerCall{*this, services, user, message, block}).code();
}

}  // namespace hv
