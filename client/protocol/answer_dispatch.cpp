#include "client/protocol/answer_dispatch.h"

#include <strings.h>

#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"
#include "core/wire/message_types.h"

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
template <typename Record, typename Decode, typename Deliver>
int32_t DecodeAndDeliver(const cAnswerCall& call, Decode decode, Deliver deliver) {
  Record record;
  int32_t rc = decode(call.block, &record);
  if (rc < 0) return rc;
  if (call.services.receiver == nullptr) return hv::kOk;
  return deliver(*call.services.receiver, record);
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
      return DecodeAndDeliver<LogItemRecord>(
          call, DecodeLogItemRecord,
          [](cAnswerReceiver& r, const LogItemRecord& v) { return r.AddLogEntry(v); });
    case msg::kSwitchItem:
      return DecodeAndDeliver<SwitchRecord>(
          call, DecodeSwitchRecord,
          [](cAnswerReceiver& r, const SwitchRecord& v) { return r.AddSwitch(v); });
    case msg::kSensorItem:
      return DecodeAndDeliver<SensorRecord>(
          call, DecodeSwitchRecord,
          [](cAnswerReceiver& r, const SensorRecord& v) { return r.AddSensor(v); });
    case msg::kMacroItem:
      return DecodeAndDeliver<MacroRecord>(
          call, DecodeMacroRecord,
          [](cAnswerReceiver& r, const MacroRecord& v) { return r.AddMacro(v); });
    case msg::kModeItem:
      return DecodeAndDeliver<ModeRecord>(
          call, DecodeModeRecord,
          [](cAnswerReceiver& r, const ModeRecord& v) { return r.AddMode(v); });
    case msg::kSwitchStatus:
      return DecodeAndDeliver<StatusChangeRecord>(
          call, DecodeStatusChangeRecord,
          [](cAnswerReceiver& r, const StatusChangeRecord& v) { return r.SetSwitchStatus(v); });
    case msg::kSensorStatus:
      return DecodeAndDeliver<StatusChangeRecord>(
          call, DecodeStatusChangeRecord,
          [](cAnswerReceiver& r, const StatusChangeRecord& v) { return r.SetSensorStatus(v); });
    case msg::kMacroStatus:
      return DecodeAndDeliver<MacroStatusRecord>(
          call, DecodeMacroStatusRecord,
          [](cAnswerReceiver& r, const MacroStatusRecord& v) { return r.SetMacroStatus(v); });
    case msg::kModeStatus:
      return DecodeAndDeliver<ModeStatusRecord>(
          call, DecodeModeStatusRecord,
          [](cAnswerReceiver& r, const ModeStatusRecord& v) { return r.SetModeStatus(v); });
    case msg::kVideoSource:
      return DecodeAndDeliver<VideoSourceRecord>(
          call, DecodeVideoSourceRecord,
          [](cAnswerReceiver& r, const VideoSourceRecord& v) { return r.AddVideoSource(v); });
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
    case msg::kServerTime: {
      int32_t time = 0;
      int32_t rc = DecodeServerTime(block, &time);
      if (rc < 0 || receiver == nullptr) return rc;
      return receiver->UpdateServerTime(time);
    }
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
