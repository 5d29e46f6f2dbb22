#include "client/protocol/answer_decoders.h"

#include "client/protocol/socket_message_block.h"

namespace hv {

namespace {

// Chains reads: stops at the first failure and keeps it.
class cFieldReader {
 public:
  explicit cFieldReader(cSocketMessageBlock& block) : block_(block) {}

  cFieldReader& Str(swString* text) {
    *text = "";
    if (status_ >= 0) status_ = block_.ReadString(text);
    return *this;
  }
  cFieldReader& U32(uint32_t* value) {
    if (status_ >= 0) status_ = block_.ReadU32(value);
    return *this;
  }
  cFieldReader& I32(int32_t* value) {
    uint32_t bits = static_cast<uint32_t>(*value);
    U32(&bits);
    *value = static_cast<int32_t>(bits);
    return *this;
  }
  cFieldReader& U16(uint16_t* value) {
    if (status_ >= 0) status_ = block_.ReadU16(value);
    return *this;
  }
  cFieldReader& F64(double* value) {
    if (status_ >= 0) status_ = block_.ReadF64(value);
    return *this;
  }
  int32_t Status() const { return status_; }

 private:
  cSocketMessageBlock& block_;
  int32_t status_ = 0;
};

}  // namespace

int32_t DecodeSwitchRecord(cSocketMessageBlock& block, SwitchRecord* r) {
  *r = SwitchRecord();
  cFieldReader in(block);
  in.Str(&r->name).Str(&r->description).U32(&r->kind).U32(&r->status).I32(&r->value_as_integer);
  r->value = static_cast<double>(r->value_as_integer);
  return in.F64(&r->value).U32(&r->io_kind).Status();
}

int32_t DecodeMacroRecord(cSocketMessageBlock& block, MacroRecord* r) {
  *r = MacroRecord();
  cFieldReader in(block);
  return in.Str(&r->name)
      .Str(&r->description)
      .U32(&r->status)
      .U16(&r->startup)
      .U32(&r->trigger_when)
      .U32(&r->trigger_quantity)
      .U32(&r->action_quantity)
      .U32(&r->stop_sensor_quantity)
      .Status();
}

int32_t DecodeModeRecord(cSocketMessageBlock& block, ModeRecord* r) {
  *r = ModeRecord();
  cFieldReader in(block);
  return in.Str(&r->name).Str(&r->description).U16(&r->state).Status();
}

int32_t DecodeStatusChangeRecord(cSocketMessageBlock& block, StatusChangeRecord* r) {
  *r = StatusChangeRecord();
  cFieldReader in(block);
  in.Str(&r->name).U32(&r->status).I32(&r->value_as_integer).U32(&r->extra);
  r->value = static_cast<double>(r->value_as_integer);
  return in.F64(&r->value).Status();
}

int32_t DecodeMacroStatusRecord(cSocketMessageBlock& block, MacroStatusRecord* r) {
  *r = MacroStatusRecord();
  cFieldReader in(block);
  return in.Str(&r->name).U32(&r->status).Status();
}

int32_t DecodeModeStatusRecord(cSocketMessageBlock& block, ModeStatusRecord* r) {
  *r = ModeStatusRecord();
  cFieldReader in(block);
  return in.Str(&r->name).U16(&r->state).Status();
}

int32_t DecodeLogItemRecord(cSocketMessageBlock& block, LogItemRecord* r) {
  *r = LogItemRecord();
  cFieldReader in(block);
  int32_t value_as_integer = 0;
  swString ignored;
  in.I32(&r->entry_type)
      .Str(&r->name)
      .Str(&r->message)
      .Str(&r->path)
      .I32(&r->function_code)
      .I32(&value_as_integer)
      .I32(&r->extra)
      .Str(&ignored)
      .Str(&r->date_text)
      .Str(&r->time_text);
  r->value = static_cast<double>(value_as_integer);
  return in.F64(&r->value).I32(&r->detail1).I32(&r->detail2).Status();
}

int32_t DecodeVideoSourceRecord(cSocketMessageBlock& block, VideoSourceRecord* r) {
  *r = VideoSourceRecord();
  cFieldReader in(block);
  return in.Str(&r->name).U32(&r->source_number).Status();
}

int32_t DecodeThumbnailRecord(cSocketMessageBlock& block, ThumbnailRecord* r) {
  *r = ThumbnailRecord();
  cFieldReader in(block);
  in.Str(&r->source_name).Str(&r->picture_path);
  // Clips came with version 3; older servers do not send these two fields at all.
  if (block.version >= 3) in.U16(&r->is_clip).Str(&r->clip_path);
  uint32_t ignored = 0;
  return in.U32(&r->time_stamp).U32(&ignored).Status();
}

int32_t DecodeFullPictureRecord(cSocketMessageBlock& block, FullPictureRecord* r) {
  *r = FullPictureRecord();
  cFieldReader in(block);
  return in.Str(&r->source_name).Str(&r->file_path).U32(&r->time_stamp).Status();
}

int32_t DecodeServerMessageRecord(cSocketMessageBlock& block, ServerMessageRecord* r) {
  *r = ServerMessageRecord();
  cFieldReader in(block);
  return in.Str(&r->target).U32(&r->plain).Str(&r->caption).Str(&r->text).Status();
}

int32_t DecodeLaunchProgramRecord(cSocketMessageBlock& block, LaunchProgramRecord* r) {
  *r = LaunchProgramRecord();
  cFieldReader in(block);
  return in.Str(&r->file)
      .Str(&r->verb)
      .Str(&r->parameters)
      .Str(&r->directory)
      .U32(&r->show_command)
      .Str(&r->target)
      .Status();
}

int32_t DecodeServerTime(cSocketMessageBlock& block, int32_t* time) {
  *time = 0;
  uint16_t ignored = 0;
  cFieldReader in(block);
  return in.I32(time).U16(&ignored).Status();
}

}  // namespace hv
