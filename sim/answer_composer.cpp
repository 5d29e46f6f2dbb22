#include "sim/answer_composer.h"

#include <algorithm>
#include <cmath>

#include "core/status.h"
#include "core/string/wire_text.h"
#include "core/wire/message_types.h"

namespace hv::sim {
namespace {

// The older integer form of a value: truncated toward zero, kept in the signed 32-bit range.
uint32_t ValueAsInteger(double value) {
  if (!std::isfinite(value)) return 0;
  double truncated = std::trunc(std::clamp(value, -2147483648.0, 2147483647.0));
  return static_cast<uint32_t>(static_cast<int32_t>(truncated));
}

}  // namespace

AnswerComposer::AnswerComposer(const WireOptions& options) : options_(options) {
  options_.chunk_size = std::clamp<uint32_t>(options_.chunk_size, 1, kMaxChunkSize);
}

Status AnswerComposer::AppendText(std::string_view text) {
  return payload_.AppendString(TextToWire(text));
}

void AnswerComposer::Begin(uint32_t type) {
  pending_.clear();
  payload_.Clear();
  header_ = cBlockHeader();
  header_.type = type;
  header_.version = options_.version;
  header_.guid = swGuidW::Generate();
}

void AnswerComposer::EndBlock(bool last) {
  header_.last_block = last ? 1 : 0;
  pending_.push_back(wire::EncodeBlock(header_, payload_.bytes()));
  payload_.Clear();
  ++header_.block_number;
}

EncodedMessage AnswerComposer::Take(bool ok) {
  if (!ok) {
    pending_.clear();
    payload_.Clear();
    return {};
  }
  EndBlock(true);
  EncodedMessage out;
  out.swap(pending_);
  if (options_.out_of_order && out.size() > 2) std::reverse(out.begin() + 1, out.end());
  return out;
}

bool AnswerComposer::AppendChunks(const std::vector<uint8_t>& bytes) {
  // The short header form cannot carry a message over several blocks, so the whole picture
  // goes into one chunk; a picture too large for one block cannot be sent in that form.
  const bool one_block = options_.version < kFirstLongHeaderVersion;
  const size_t chunk = one_block ? bytes.size() : options_.chunk_size;
  size_t offset = 0;
  do {
    size_t n = std::min(chunk, bytes.size() - offset);
    if (!payload_.AppendChunk(bytes.data() + offset, n).ok()) return false;
    offset += n;
    if (offset < bytes.size()) EndBlock(false);
  } while (offset < bytes.size());
  return true;
}

bool AnswerComposer::AppendItemValues(uint32_t value_int, double value) {
  if (!payload_.AppendU32(value_int).ok()) return false;
  return options_.old_server || payload_.AppendF64(value).ok();
}

EncodedMessage AnswerComposer::Goodbye() {
  Begin(msg::kGoodbye);
  return Take(true);
}

EncodedMessage AnswerComposer::DeviceItemAnswer(uint32_t type, const DeviceItem* item) {
  Begin(type);
  DeviceItem end;
  const DeviceItem& s = item != nullptr ? *item : end;
  bool ok = AppendText(item != nullptr ? s.name.c_str() : "").ok() &&
            AppendText(item != nullptr ? s.description.c_str() : "").ok() &&
            payload_.AppendU32(s.kind).ok() && payload_.AppendU32(s.status).ok() &&
            AppendItemValues(ValueAsInteger(s.value), s.value) &&
            (options_.old_server || payload_.AppendU32(s.io_kind).ok());
  return Take(ok);
}

EncodedMessage AnswerComposer::SwitchItemAnswer(const SwitchItem* item) {
  return DeviceItemAnswer(msg::kSwitchItem, item);
}

EncodedMessage AnswerComposer::SensorItemAnswer(const SensorItem* item) {
  return DeviceItemAnswer(msg::kSensorItem, item);
}

EncodedMessage AnswerComposer::MacroItemAnswer(const MacroItem* item) {
  Begin(msg::kMacroItem);
  MacroItem end;
  const MacroItem& m = item != nullptr ? *item : end;
  bool ok = AppendText(item != nullptr ? m.name.c_str() : "").ok() &&
            AppendText(item != nullptr ? m.description.c_str() : "").ok() &&
            payload_.AppendU32(m.status).ok() && payload_.AppendU16(m.startup ? 1 : 0).ok() &&
            payload_.AppendU32(m.trigger_when).ok() && payload_.AppendU32(m.trigger_count).ok() &&
            payload_.AppendU32(m.action_count).ok() && payload_.AppendU32(m.stop_sensor_count).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::ModeItemAnswer(const ModeItem* item) {
  Begin(msg::kModeItem);
  bool ok = AppendText(item != nullptr ? item->name.c_str() : "").ok() &&
            AppendText(item != nullptr ? item->description.c_str() : "").ok() &&
            payload_.AppendU16(item != nullptr && item->active ? 1 : 0).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::DeviceStatus(uint32_t type, const DeviceItem& item) {
  Begin(type);
  bool ok = AppendText(item.name.c_str()).ok() && payload_.AppendU32(item.status).ok() &&
            payload_.AppendU32(ValueAsInteger(item.value)).ok() && payload_.AppendU32(0).ok() &&
            (options_.old_server || payload_.AppendF64(item.value).ok());
  return Take(ok);
}

EncodedMessage AnswerComposer::SwitchStatus(const SwitchItem& item) {
  return DeviceStatus(msg::kSwitchStatus, item);
}

EncodedMessage AnswerComposer::SensorStatus(const SensorItem& item) {
  return DeviceStatus(msg::kSensorStatus, item);
}

EncodedMessage AnswerComposer::MacroStatus(const MacroItem& item) {
  Begin(msg::kMacroStatus);
  bool ok = AppendText(item.name.c_str()).ok() && payload_.AppendU32(item.status).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::ModeStatus(const ModeItem& item) {
  Begin(msg::kModeStatus);
  bool ok = AppendText(item.name.c_str()).ok() && payload_.AppendU16(item.active ? 1 : 0).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::LogItem(const LogEntry& e) {
  Begin(msg::kLogItem);
  bool ok = payload_.AppendU32(e.entry_type).ok() && AppendText(e.name.c_str()).ok() &&
            AppendText(e.message.c_str()).ok() && AppendText(e.path.c_str()).ok() &&
            payload_.AppendU32(e.function_code).ok() &&
            payload_.AppendU32(ValueAsInteger(e.value)).ok() && payload_.AppendU32(e.extra).ok() &&
            AppendText("").ok() && AppendText(e.date_text.c_str()).ok() &&
            AppendText(e.time_text.c_str()).ok();
  if (ok && !options_.old_server) {
    ok = payload_.AppendF64(e.value).ok() && payload_.AppendU32(e.detail1).ok() &&
         payload_.AppendU32(e.detail2).ok();
  }
  return Take(ok);
}

EncodedMessage AnswerComposer::ControlFileName(const std::string& name) {
  Begin(msg::kControlFileName);
  return Take(AppendText(name.c_str()).ok());
}

EncodedMessage AnswerComposer::ClientQty(uint32_t count) {
  Begin(msg::kClientQty);
  return Take(payload_.AppendU32(count).ok());
}

EncodedMessage AnswerComposer::Flag(uint32_t type, bool on) {
  Begin(type);
  return Take(payload_.AppendU16(on ? 1 : 0).ok());
}

EncodedMessage AnswerComposer::ServerTime(int64_t seconds) {
  Begin(msg::kServerTime);
  bool ok = payload_.AppendU32(static_cast<uint32_t>(seconds)).ok() && payload_.AppendU16(0).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::DawnDusk(uint32_t dawn, uint32_t dusk) {
  Begin(msg::kDawnDusk);
  return Take(payload_.AppendU32(dawn).ok() && payload_.AppendU32(dusk).ok());
}

EncodedMessage AnswerComposer::VideoSourceAnswer(const VideoSource& source) {
  Begin(msg::kVideoSource);
  return Take(AppendText(source.name.c_str()).ok() && payload_.AppendU32(source.number).ok());
}

EncodedMessage AnswerComposer::Thumbnail(const Snapshot& shot, const std::vector<uint8_t>& jpeg) {
  Begin(msg::kThumbnail);
  bool ok = AppendText(shot.source.c_str()).ok() && AppendText(shot.picture_path.c_str()).ok();
  if (ok && options_.version >= 3) {
    ok = payload_.AppendU16(shot.is_clip ? 1 : 0).ok() && AppendText(shot.clip_path.c_str()).ok();
  }
  ok = ok && payload_.AppendU32(shot.time_stamp).ok() && payload_.AppendU32(0).ok() &&
       AppendChunks(jpeg);
  return Take(ok);
}

EncodedMessage AnswerComposer::FullPicture(const std::string& source, const std::string& path,
                                           uint32_t time_stamp, const std::vector<uint8_t>& jpeg) {
  Begin(msg::kFullPicture);
  bool ok = AppendText(source.c_str()).ok() && AppendText(path.c_str()).ok() &&
            payload_.AppendU32(time_stamp).ok() && AppendChunks(jpeg);
  return Take(ok);
}

EncodedMessage AnswerComposer::ServerMessage(const std::string& target, bool plain,
                                             const std::string& caption, const std::string& text) {
  Begin(msg::kServerMessage);
  bool ok = AppendText(target.c_str()).ok() && payload_.AppendU32(plain ? 1 : 0).ok() &&
            AppendText(caption.c_str()).ok() && AppendText(text.c_str()).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::CommandResponse(const std::string& file_name,
                                               const std::string& contents) {
  Begin(msg::kCommandResponse);
  // A command response is always one block, whatever the header form. The file name is the
  // client's own, handed back as it came; the results are the server's text.
  const std::string text = TextToWire(contents);
  bool ok = payload_.AppendString(file_name).ok() && payload_.AppendU32(0).ok() &&
            payload_.AppendU32(static_cast<uint32_t>(text.size())).ok() &&
            payload_.AppendBytes(text.data(), text.size()).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::LaunchProgram(const std::string& file, const std::string& verb,
                                             const std::string& parameters,
                                             const std::string& directory, uint32_t show,
                                             const std::string& target) {
  Begin(msg::kLaunchProgram);
  bool ok = AppendText(file.c_str()).ok() && AppendText(verb.c_str()).ok() &&
            AppendText(parameters.c_str()).ok() && AppendText(directory.c_str()).ok() &&
            payload_.AppendU32(show).ok() && AppendText(target.c_str()).ok();
  return Take(ok);
}

EncodedMessage AnswerComposer::UnknownType() {
  Begin(msg::kRefusedAnswer18);
  return Take(payload_.AppendU32(0).ok());
}

EncodedMessage AnswerComposer::LengthBeyondBlock(uint32_t type) {
  Begin(type);
  // A string field is an unused word and a length; the length claims the whole address range.
  static const char kSome[] = "not nearly that long";
  return Take(payload_.AppendU32(0).ok() && payload_.AppendU32(0xFFFFFFFFu).ok() &&
              payload_.AppendBytes(kSome, sizeof kSome - 1).ok());
}

}  // namespace hv::sim
