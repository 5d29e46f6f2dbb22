#include "client/protocol/answer_dispatch.h"

#include <strings.h>

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
    case msg::kUnnamed19:
    case msg::kGetClientQty:
    case msg::kUserMessage:
    case msg::kGetLightDark:
    case msg::kSendX10Code:
    case msg::kGetServerTime:
    case msg::kGetVideoSources:
    case msg::kGetThumbnails:
    case msg::kGetFullPicture:
    case msg::kSnapPicture:
    case msg::kUnnamed39:
    case msg::kUnnamed40:
    case msg::kSendCommandFile:
    case msg::kVideoMotion:
    case msg::kGetModes:
    case msg::kStartRecord:
    case msg::kStopRecord:
    case msg::kUnnamed50:
    case msg::kUnnamed51: return true;
    default: return false;
  }
}

// Decodes a record and hands it to the receiver; a missing receiver drops it.
template <typename Record, typename Deliver>
int32_t DecodeAndDeliver(const cAnswerCall& call, int32_t (*decode)(cSocketMessageBlock&, Record*),
                         Deliver deliver) {
  Record record{};
  int32_t rc = decode(call.block, &record);
  if (rc < 0) return rc;
  if (call.services.receiver == nullptr) return hv::kOk;
  return (call.services.receiver->*deliver)(record);
}

int32_t ReadU16Answer(const cAnswerCall& call, uint16_t* value) {
  *value = 0;
  return call.block.ReadU16(value);
}

int32_t RunHandler(const cAnswerCall& call) {
  cAnswerReceiver* receiver = call.services.receiver;
  cSocketMessageBlock& block = call.block;
  switch (block.type) {
    case msg::kLogItem:
      return DecodeAndDeliver(call, DecodeLogItemRecord, &cAnswerReceiver::AddLogEntry);
    case msg::kSwitchItem:
      return DecodeAndDeliver(call, DecodeSwitchRecord, &cAnswerReceiver::AddSwitch);
    case msg::kSensorItem:
      return DecodeAndDeliver(call, DecodeSwitchRecord, &cAnswerReceiver::AddSensor);
    case msg::kMacroItem:
      return DecodeAndDeliver(call, DecodeMacroRecord, &cAnswerReceiver::AddMacro);
    case msg::kModeItem: return DecodeAndDeliver(call, DecodeModeRecord, &cAnswerReceiver::AddMode);
    case msg::kSwitchStatus:
      return DecodeAndDeliver(call, DecodeStatusChangeRecord, &cAnswerReceiver::SetSwitchStatus);
    case msg::kSensorStatus:
      return DecodeAndDeliver(call, DecodeStatusChangeRecord, &cAnswerReceiver::SetSensorStatus);
    case msg::kMacroStatus:
      return DecodeAndDeliver(call, DecodeMacroStatusRecord, &cAnswerReceiver::SetMacroStatus);
    case msg::kModeStatus:
      return DecodeAndDeliver(call, DecodeModeStatusRecord, &cAnswerReceiver::SetModeStatus);
    case msg::kVideoSource:
      return DecodeAndDeliver(call, DecodeVideoSourceRecord, &cAnswerReceiver::AddVideoSource);
    case msg::kControlFileName: {
      swString name;
      int32_t rc = block.ReadString(&name);
      if (rc < 0 || receiver == nullptr) return rc;
      return receiver->SetControlFileName(name);
    }
    case msg::kClientQty: {
      uint32_t count = 0;
      int32_t rc = block.ReadU32(&count);
      if (rc < 0 || receiver == nullptr) return rc;
      return receiver->SetClientQty(count);
    }
    case msg::kLightDark:
    case msg::kPauseState:
    case msg::kMuteState: {
      uint16_t state = 0;
      int32_t rc = ReadU16Answer(call, &state);
      if (rc < 0 || receiver == nullptr) return rc;
      if (block.type == msg::kLightDark) return receiver->SetLightDark(state);
      if (block.type == msg::kPauseState) return receiver->SetPauseState(state);
      return receiver->SetMuteState(state);
    }
    case msg::kServerTime:
      return DecodeAndDeliver(call, DecodeServerTime, &cAnswerReceiver::UpdateServerTime);
    case msg::kDawnDusk: {
      uint32_t dawn = 0;
      uint32_t dusk = 0;
      int32_t rc = block.ReadU32(&dawn);
      if (rc >= 0) rc = block.ReadU32(&dusk);
      if (rc < 0 || receiver == nullptr) return rc;
      return receiver->SetDawnDusk(dawn, dusk);
    }
    case msg::kThumbnail: return HandleThumbnail(call);
    case msg::kFullPicture: return HandleFullPicture(call);
    case msg::kCommandResponse: return HandleCommandResponse(call);
    case msg::kServerMessage: return HandleServerMessage(call);
    case msg::kLaunchProgram: return HandleLaunchProgram(call);
    case msg::kUnnamed2:
    case msg::kUnnamed36:
    case msg::kUnnamed52:
    case msg::kUnnamed53:
      return hv::kOk;  // what they carry is read and dropped; nothing needs reading
    default: return hv::kUnexpectedType;
  }
}

}  // namespace

bool AddressedToUs(const swString& target, const swString& user_name) {
  if (strcasecmp(target.CStr(), "All") == 0) return true;
  return user_name.GetLength() > 0 && strcasecmp(target.CStr(), user_name.CStr()) == 0;
}

int32_t DispatchAnswer(const cAnswerCall& call) {
  if (call.message == nullptr) return hv::kMissingArgument;
  uint32_t type = call.block.type;
  if (type == 0 || type > msg::kHighestType || type == msg::kRefusedAnswer18 ||
      type == msg::kRefusedAnswer54) {
    return hv::kUnexpectedType;
  }
  if (IsSilentType(type)) return hv::kOk;
  if (type == msg::kLogItem && call.socket.LogFeedOn() != 1) return hv::kOk;
  int32_t rc = RunHandler(call);
  return rc < 0 ? rc : hv::kOk;
}

}  // namespace hv
