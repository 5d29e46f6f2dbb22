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

Status cRemoteClientSocket::ProcessIncoming(uint32_t* type) {
  if (type != nullptr) *type = 0;
  uint32_t now = context_.Clock().TickCount();
  if (processing_ != 0 && now - processing_start_ < kProcessingGuardMs) {
    return Status::Declined(Where::kProtocol);
  }
  cUse use(*this);
  processing_start_ = now;
  processing_ = 1;
  Status status = channel_.ReceiveAndHandleBlock(*this, type);
  processing_ = 0;
  return status;
}

Status cRemoteClientSocket::Dispatch(cSocketMessage* message, cSocketMessageBlock& block) {
  static const cSessionServices kNoServices;
  static const swString kNoUser;
  const cSessionServices& services = services_ != nullptr ? *services_ : kNoServices;
  const swString& user = owner_ != nullptr ? owner_->UserName() : kNoUser;
  return DispatchAnswer(cAnswerCall{*this, services, user, message, block});
}

}  // namespace hv
