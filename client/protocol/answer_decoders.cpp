#include "client/protocol/answer_decoders.h"

#include <utility>

#include "client/protocol/socket_message_block.h"
#include "core/status.h"

namespace hv {

namespace {

// Chains reads: stops at the first failure and keeps it.
class cFieldReader {
 public:
  explicit cFieldReader(cSocketMessageBlock& block) : block_(block) {}

  cFieldReader& Str(swString* text) {
    *text = "";
    if (status_.ok()) Keep(block_.ReadString(text));
    return *this;
  }
  cFieldReader& U32(uint32_t* value) {
    if (status_.ok()) Keep(block_.ReadU32(value));
    return *this;
  }
  cFieldReader& I32(int32_t* value) {
    uint32_t bits = static_cast<uint32_t>(*value);
    U32(&bits);
    *value = static_cast<int32_t>(bits);
    return *this;
  }
  cFieldReader& U16(uint16_t* value) {
    if (status_.ok()) Keep(block_.ReadU16(value));
    return *this;
  }
  cFieldReader& F64(double* value) {
    if (status_.ok()) Keep(block_.ReadF64(value));
    return *this;
  }
  Status Result() const { return status_; }

 private:
  // Only a failure is stored: assigning every read's status cost the decoders a tenth of
  // their time.
  void Keep(Status status) {
    if (!status.ok()) status_ = std::move(status);
  }

  cSocketMessageBlock& block_;
  Status status_;
};

}  // namespace

Status DecodeSwitchRecord(cSocketMessageBlock& block, SwitchRecord* r) {
  *r = SwitchRecord();
  cFieldReader in(block);
  in.Str(&r->name).Str(&r->description).U32(&r->kind).U32(&r->status).I32(&r->value_as_integer);
  r->value = static_cast<double>(r->value_as_integer);
  return in.F64(&r->value).U32(&r->io_kind).Result();
}

Status DecodeMacroRecord(cSocketMessageBlock& block, MacroRecord* r) {
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
      .Result();
}

Status DecodeModeRecord(cSocketMessageBlock& block, ModeRecord* r) {
  *r = ModeRecord();
  cFieldReader in(block);
  return in.Str(&r->name).Str(&r->description).U16(&r->state).Result();
}

Status DecodeStatusChangeRecord(cSocketMessageBlock& block, StatusChangeRecord* r) {
  *r = StatusChangeRecord();
  cFieldReader in(block);
  in.Str(&r->name).U32(&r->status).I32(&r->value_as_integer).U32(&r->extra);
  r->value = static_cast<double>(r->value_as_integer);
  return in.F64(&r->value).Result();
}

Status DecodeMacroStatusRecord(cSocketMessageBlock& block, MacroStatusRecord* r) {
  *r = MacroStatusRecord();
  cFieldReader in(block);
  return in.Str(&r->name).U32(&r->status).Result();
}

Status DecodeModeStatusRecord(cSocketMessageBlock& block, ModeStatusRecord* r) {
  *r = ModeStatusRecord();
  cFieldReader in(block);
  return in.Str(&r->name).U16(&r->state).Result();
}

Status DecodeLogItemRecord(cSocketMessageBlock& block, LogItemRecord* r) {
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
  return in.F64(&r->value).I32(&r->detail1).I32(&r->detail2).Result();
}

Status DecodeVideoSourceRecord(cSocketMessageBlock& block, VideoSourceRecord* r) {
  *r = VideoSourceRecord();
  cFieldReader in(block);
  return in.Str(&r->name).U32(&r->source_number).Result();
}

Status DecodeThumbnailRecord(cSocketMessageBlock& block, ThumbnailRecord* r) {
  *r = ThumbnailRecord();
  cFieldReader in(block);
  in.Str(&r->source_name).Str(&r->picture_path);
  // Clips came with version 3; older servers do not send these two fields at all.
  if (block.version >= 3) in.U16(&r->is_clip).Str(&r->clip_path);
  uint32_t ignored = 0;
  return in.U32(&r->time_stamp).U32(&ignored).Result();
}

Status DecodeFullPictureRecord(cSocketMessageBlock& block, FullPictureRecord* r) {
  *r = FullPictureRecord();
  cFieldReader in(block);
  return in.Str(&r->source_name).Str(&r->file_path).U32(&r->time_stamp).Result();
}

Status DecodeServerMessageRecord(cSocketMessageBlock& block, ServerMessageRecord* r) {
  *r = ServerMessageRecord();
  cFieldReader in(block);
  return in.Str(&r->target).U32(&r->plain).Str(&r->caption).Str(&r->text).Result();
}

Status DecodeLaunchProgramRecord(cSocketMessageBlock& block, LaunchProgramRecord* r) {
  *r = LaunchProgramRecord();
  cFieldReader in(block);
  return in.Str(&r->file)
      .Str(&r->verb)
      .Str(&r->parameters)
      .Str(&r->directory)
      .U32(&r->show_command)
      .Str(&r->target)
      .Result();
}

Status DecodeServerTimeRecord(cSocketMessageBlock& block, ServerTimeRecord* r) {
  *r = ServerTimeRecord();
  uint16_t ignored = 0;
  cFieldReader in(block);
  return in.I32(&r->seconds).U16(&ignored).Result();
}

Status DecodeControlFileNameRecord(cSocketMessageBlock& block, ControlFileNameRecord* r) {
  return cFieldReader(block).Str(&r->name).Result();
}

Status DecodeClientQtyRecord(cSocketMessageBlock& block, ClientQtyRecord* r) {
  *r = ClientQtyRecord();
  return cFieldReader(block).U32(&r->quantity).Result();
}

Status DecodeLightDarkRecord(cSocketMessageBlock& block, LightDarkRecord* r) {
  *r = LightDarkRecord();
  return cFieldReader(block).U16(&r->dark).Result();
}

Status DecodePauseStateRecord(cSocketMessageBlock& block, PauseStateRecord* r) {
  *r = PauseStateRecord();
  return cFieldReader(block).U16(&r->paused).Result();
}

Status DecodeMuteStateRecord(cSocketMessageBlock& block, MuteStateRecord* r) {
  *r = MuteStateRecord();
  return cFieldReader(block).U16(&r->muted).Result();
}

Status DecodeDawnDuskRecord(cSocketMessageBlock& block, DawnDuskRecord* r) {
  *r = DawnDuskRecord();
  return cFieldReader(block).U32(&r->dawn).U32(&r->dusk).Result();
}

}  // namespace hv
