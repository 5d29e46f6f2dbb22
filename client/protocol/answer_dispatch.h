// Dispatch of received blocks by message type, and the handlers of the answers. Every
// block of every message passes through DispatchAnswer in block-number order.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_DISPATCH_H_
#define HV_CLIENT_PROTOCOL_ANSWER_DISPATCH_H_

#include <cstdint>

#include "client/protocol/answer.h"
#include "core/status.h"

namespace hv {

class cRemoteClientSocket;
class cSocketMessage;
class cSocketMessageBlock;
class swString;
struct cSessionServices;

// What a handler works with: the socket the block came on, where results go, the user
// name of the current login (for answers addressed to one user), the message's context
// (shared by all its blocks) and the block itself.
struct cAnswerCall {
  cRemoteClientSocket& socket;
  const cSessionServices& services;
  const swString& user_name;
  cSocketMessage* message;
  cSocketMessageBlock& block;
};

// The type rules: no context is kMissingArgument; types 0, 18, 54 and above 55 are
// kUnexpectedType; requests echoed back and types without content are read as nothing
// (ok); a Log item is taken only while the socket's log feed is on; every other type runs
// its handler, whose failure is returned (a receiver's decline is still ok: the block was
// read).
[[nodiscard]] Status DispatchAnswer(const cAnswerCall& call);

// Handlers of the answers that span blocks or touch files and the desktop (one per file).
[[nodiscard]] Status HandleThumbnail(const cAnswerCall& call);
[[nodiscard]] Status HandleFullPicture(const cAnswerCall& call);
[[nodiscard]] Status HandleCommandResponse(const cAnswerCall& call);
[[nodiscard]] Status HandleServerMessage(const cAnswerCall& call);
[[nodiscard]] Status HandleLaunchProgram(const cAnswerCall& call);

// Hands the answer to the session's receiver; without one it is dropped (ok).
[[nodiscard]] Status DeliverAnswer(const cAnswerCall& call, const Answer& answer);

// True when an answer addressed to `target` is meant for this login: "All" or the user
// name, without regard to case.
bool AddressedToUs(const swString& target, const swString& user_name);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_DISPATCH_H_
