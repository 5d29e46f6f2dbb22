// Answers meant for the user's desktop: Server message and Launch program. Both are decoded
// here and handed on only when addressed to "All" or to this login's user; showing the box
// or starting the program is the receiver's business, and never ends the connection.
#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_dispatch.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/session_services.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"

namespace hv {

namespace {

// Decodes a record addressed to a user and hands it to the receiver when it is ours.
template <typename Record, typename Decode, typename Deliver>
int32_t DeliverAddressed(const cAnswerCall& call, Decode decode, Deliver deliver) {
  Record record;
  const int32_t rc = decode(call.block, &record);
  if (rc < 0) return rc;
  if (call.services.receiver != nullptr && AddressedToUs(record.target, call.user_name)) {
    // What the desktop made of it is the desktop's to report (a program that does not start
    // shows an Error entry); it never costs the connection.
    (void)deliver(*call.services.receiver, record);
  }
  return hv::kOk;
}

}  // namespace

int32_t HandleServerMessage(const cAnswerCall& call) {
  return DeliverAddressed<ServerMessageRecord>(
      call, DecodeServerMessageRecord,
      [](cAnswerReceiver& r, const ServerMessageRecord& v) { return r.ShowServerMessage(v); });
}

int32_t HandleLaunchProgram(const cAnswerCall& call) {
  return DeliverAddressed<LaunchProgramRecord>(
      call, DecodeLaunchProgramRecord,
      [](cAnswerReceiver& r, const LaunchProgramRecord& v) { return r.LaunchProgram(v); });
}

}  // namespace hv
