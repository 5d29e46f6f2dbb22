// Answers meant for the user's desktop: Server message and Launch program. Both are decoded
// here and handed on only when addressed to "All" or to this login's user; showing the box
// or starting the program is the receiver's business, and never ends the connection.
#include <variant>

#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_dispatch.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"

namespace hv {

namespace {

// Decodes a record addressed to a user and hands it to the receiver when it is ours.
template <typename Record>
Status DeliverAddressed(const cAnswerCall& call, Status (*decode)(cSocketMessageBlock&, Record*)) {
  Answer answer(std::in_place_type<Record>);
  Record& record = std::get<Record>(answer);
  Status read = decode(call.block, &record);
  if (read.failed()) return read;
  if (AddressedToUs(record.target, call.user_name)) {
    DeliverAnswer(call, answer)
        .Ignore(
            "what the desktop made of it is the desktop's to report (a program that does "
            "not start shows an Error entry); it never costs the connection");
  }
  return Status::Ok();
}

}  // namespace

Status HandleServerMessage(const cAnswerCall& call) {
  return DeliverAddressed(call, DecodeServerMessageRecord);
}

Status HandleLaunchProgram(const cAnswerCall& call) {
  return DeliverAddressed(call, DecodeLaunchProgramRecord);
}

}  // namespace hv
