#include "client/protocol/answer_dispatch.h"

#include <strings.h>

#include <variant>

#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

// Types that carry nothing the client acts on: requests the server may echo and answers
// without content. Nothing is read from them.
bool IsSilentType(uint32_t type) {
  switch (type) {
    case msg::kGoodbye:
    case msg::kLogin:
    case msg::kLogoff:
    case msg::kGetLogItems:
    case msg::kGetSwitches:
    case msg::kGetSensors:
    case msg::kGetMacros:
    case msg::kGetControlFileName:
    case msg::kUnreadAnswer19:
    case msg::kGetClientQty:
    case msg::kUserMessage:
    case msg::kGetLightDark:
    case msg::kSendX10Code:
    case msg::kGetServerTime:
    case msg::kGetVideoSources:
    case msg::kGetThumbnails:
    case msg::kGetFullPicture:
    case msg::kSnapPicture:
    case msg::kUnreadAnswer39:
    case msg::kUnreadAnswer40:
    case msg::kSendCommandFile:
    case msg::kVideoMotion:
    case msg::kGetModes:
    case msg::kStartRecord:
    case msg::kStopRecord:
    case msg::kUnreadAnswer50:
    case msg::kUnreadAnswer51: return true;
    default: return false;
  }
}

// Decodes a record straight into the answer that carries it (no copy on the way) and
// hands it to the receiver. The decoder may take the record's base shape: a sensor item is
// read as a switch item.
template <typename Record, typename Decoded>
Status DecodeAndDeliver(const cAnswerCall& call, Status (*decode)(cSocketMessageBlock&, Decoded*)) {
  Answer answer(std::in_place_type<Record>);
  Status read = decode(call.block, &std::get<Record>(answer));
  if (read.failed()) return read;
  return DeliverAnswer(call, answer);
}

Status RunHandler(const cAnswerCall& call) {
  switch (call.block.type) {
    case msg::kLogItem: return DecodeAndDeliver<LogItemRecord>(call, DecodeLogItemRecord);
    case msg::kSwitchItem: return DecodeAndDeliver<SwitchRecord>(call, DecodeSwitchRecord);
    case msg::kSensorItem: return DecodeAndDeliver<SensorItemRecord>(call, DecodeSwitchRecord);
    case msg::kMacroItem: return DecodeAndDeliver<MacroRecord>(call, DecodeMacroRecord);
    case msg::kModeItem: return DecodeAndDeliver<ModeRecord>(call, DecodeModeRecord);
    case msg::kSwitchStatus:
      return DecodeAndDeliver<SwitchStatusRecord>(call, DecodeStatusChangeRecord);
    case msg::kSensorStatus:
      return DecodeAndDeliver<SensorStatusRecord>(call, DecodeStatusChangeRecord);
    case msg::kMacroStatus:
      return DecodeAndDeliver<MacroStatusRecord>(call, DecodeMacroStatusRecord);
    case msg::kModeStatus: return DecodeAndDeliver<ModeStatusRecord>(call, DecodeModeStatusRecord);
    case msg::kVideoSource:
      return DecodeAndDeliver<VideoSourceRecord>(call, DecodeVideoSourceRecord);
    case msg::kControlFileName:
      return DecodeAndDeliver<ControlFileNameRecord>(call, DecodeControlFileNameRecord);
    case msg::kClientQty: return DecodeAndDeliver<ClientQtyRecord>(call, DecodeClientQtyRecord);
    case msg::kLightDark: return DecodeAndDeliver<LightDarkRecord>(call, DecodeLightDarkRecord);
    case msg::kPauseState: return DecodeAndDeliver<PauseStateRecord>(call, DecodePauseStateRecord);
    case msg::kMuteState: return DecodeAndDeliver<MuteStateRecord>(call, DecodeMuteStateRecord);
    case msg::kServerTime: return DecodeAndDeliver<ServerTimeRecord>(call, DecodeServerTimeRecord);
    case msg::kDawnDusk: return DecodeAndDeliver<DawnDuskRecord>(call, DecodeDawnDuskRecord);
    case msg::kThumbnail: return HandleThumbnail(call);
    case msg::kFullPicture: return HandleFullPicture(call);
    case msg::kCommandResponse: return HandleCommandResponse(call);
    case msg::kServerMessage: return HandleServerMessage(call);
    case msg::kLaunchProgram: return HandleLaunchProgram(call);
    case msg::kDroppedNumberAnswer2:
    case msg::kDroppedTextsAndNumberAnswer36:
    case msg::kEmptyAnswer52:
    case msg::kEmptyAnswer53:
      return Status::Ok();  // what they carry is read and dropped; nothing needs reading
    default: return Status(Where::kProtocol, hv::kUnexpectedType);
  }
}

}  // namespace

bool AddressedToUs(const swString& target, const swString& user_name) {
  if (strcasecmp(target.CStr(), "All") == 0) return true;
  return user_name.GetLength() > 0 && strcasecmp(target.CStr(), user_name.CStr()) == 0;
}

Status DeliverAnswer(const cAnswerCall& call, const Answer& answer) {
  if (call.services.receiver == nullptr) return Status::Ok();
  return call.services.receiver->Receive(answer);
}

Status DispatchAnswer(const cAnswerCall& call) {
  if (call.message == nullptr) return Status(Where::kProtocol, hv::kMissingArgument);
  uint32_t type = call.block.type;
  if (type == 0 || type > msg::kHighestType || type == msg::kRefusedAnswer18 ||
      type == msg::kRefusedAnswer54) {
    return Status(Where::kProtocol, hv::kUnexpectedType);
  }
  if (IsSilentType(type)) return Status::Ok();
  if (type == msg::kLogItem && call.socket.LogFeedOn() != 1) return Status::Ok();
  Status status = RunHandler(call);
  return status.failed() ? status : Status::Ok();
}

}  // namespace hv
