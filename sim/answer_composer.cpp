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

int32_t AnswerComposer::AppendText(std::string_view text) {
  return block_.AppendString(TextToWire(text).c_str());
}

void AnswerComposer::Begin(uint32_t type) {
  pending_.clear();
  block_.ClearOutgoing();
  block_.type = type;
  block_.version = options_.version;
  block_.guid = swGuidW::Generate();
  block_.block_number = 0;
  block_.last_block = 1;
}

void AnswerComposer::EndBlock(bool last) {
  block_.last_block = last ? 1 : 0;
  uint32_t size = 0;
  const uint8_t* image = block_.OutgoingImage(&size);
  pending_.emplace_back(image, image + size);
  block_.ClearOutgoing();
  ++block_.block_number;
}

EncodedMessage AnswerComposer::Take(bool ok) {
  if (!ok) {
    pending_.clear();
    block_.ClearOutgoing();
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
    if (block_.AppendU32(0) != kOk || block_.AppendU32(static_cast<uint32_t>(n)) != kOk) {
      return false;
    }
    if (n > 0 && block_.AppendBytes(bytes.data() + offset, static_cast<uint32_t>(n)) != kOk) {
      return false;
    }
    offset += n;
    if (offset < bytes.size()) EndBlock(false);
  } while (offset < bytes.size());
  return true;
}

bool AnswerComposer::AppendItemValues(uint32_t value_int, double value) {
  if (block_.AppendU32(value_int) != kOk) return false;
  return options_.old_server || block_.AppendF64(value) == kOk;
}

EncodedMessage AnswerComposer::Goodbye() {
  Begin(msg::kGoodbye);
  return Take(true);
}

template <typename DeviceItem>
EncodedMessage AnswerComposer::DeviceItemAnswer(uint32_t type, const DeviceItem* item) {
  Begin(type);
  DeviceItem end;
  const DeviceItem& s = item != nullptr ? *item : end;
  bool ok = AppendText(item != nullptr ? s.name.c_str() : "") == kOk &&
            AppendText(item != nullptr ? s.description.c_str() : "") == kOk &&
            block_.AppendU32(s.kind) == kOk && block_.AppendU32(s.status) == kOk &&
            AppendItemValues(ValueAsInteger(s.value), s.value) &&
            (options_.old_server || block_.AppendU32(s.io_kind) == kOk);
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
  bool ok = AppendText(item != nullptr ? m.name.c_str() : "") == kOk &&
            AppendText(item != nullptr ? m.description.c_str() : "") == kOk &&
            block_.AppendU32(m.status) == kOk && block_.AppendU16(m.startup ? 1 : 0) == kOk &&
            block_.AppendU32(m.trigger_when) == kOk && block_.AppendU32(m.trigger_count) == kOk &&
            block_.AppendU32(m.action_count) == kOk && block_.AppendU32(m.stop_sensor_count) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::ModeItemAnswer(const ModeItem* item) {
  Begin(msg::kModeItem);
  bool ok = AppendText(item != nullptr ? item->name.c_str() : "") == kOk &&
            AppendText(item != nullptr ? item->description.c_str() : "") == kOk &&
            block_.AppendU16(item != nullptr && item->active ? 1 : 0) == kOk;
  return Take(ok);
}

template <typename DeviceItem>
EncodedMessage AnswerComposer::DeviceStatus(uint32_t type, const DeviceItem& item) {
  Begin(type);
  bool ok = AppendText(item.name.c_str()) == kOk && block_.AppendU32(item.status) == kOk &&
            block_.AppendU32(ValueAsInteger(item.value)) == kOk && block_.AppendU32(0) == kOk &&
            (options_.old_server || block_.AppendF64(item.value) == kOk);
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
  bool ok = AppendText(item.name.c_str()) == kOk && block_.AppendU32(item.status) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::ModeStatus(const ModeItem& item) {
  Begin(msg::kModeStatus);
  bool ok = AppendText(item.name.c_str()) == kOk && block_.AppendU16(item.active ? 1 : 0) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::LogItem(const LogEntry& e) {
  Begin(msg::kLogItem);
  bool ok = block_.AppendU32(e.entry_type) == kOk && AppendText(e.name.c_str()) == kOk &&
            AppendText(e.message.c_str()) == kOk && AppendText(e.path.c_str()) == kOk &&
            block_.AppendU32(e.function_code) == kOk &&
            block_.AppendU32(ValueAsInteger(e.value)) == kOk && block_.AppendU32(e.extra) == kOk &&
            AppendText("") == kOk && AppendText(e.date_text.c_str()) == kOk &&
            AppendText(e.time_text.c_str()) == kOk;
  if (ok && !options_.old_server) {
    ok = block_.AppendF64(e.value) == kOk && block_.AppendU32(e.detail1) == kOk &&
         block_.AppendU32(e.detail2) == kOk;
  }
  return Take(ok);
}

EncodedMessage AnswerComposer::ControlFileName(const std::string& name) {
  Begin(msg::kControlFileName);
  return Take(AppendText(name.c_str()) == kOk);
}

EncodedMessage AnswerComposer::ClientQty(uint32_t count) {
  Begin(msg::kClientQty);
  return Take(block_.AppendU32(count) == kOk);
}

EncodedMessage AnswerComposer::Flag(uint32_t type, bool on) {
  Begin(type);
  return Take(block_.AppendU16(on ? 1 : 0) == kOk);
}

EncodedMessage AnswerComposer::ServerTime(int64_t seconds) {
  Begin(msg::kServerTime);
  bool ok = block_.AppendU32(static_cast<uint32_t>(seconds)) == kOk && block_.AppendU16(0) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::DawnDusk(uint32_t dawn, uint32_t dusk) {
  Begin(msg::kDawnDusk);
  return Take(block_.AppendU32(dawn) == kOk && block_.AppendU32(dusk) == kOk);
}

EncodedMessage AnswerComposer::VideoSourceAnswer(const VideoSource& source) {
  Begin(msg::kVideoSource);
  return Take(AppendText(source.name.c_str()) == kOk && block_.AppendU32(source.number) == kOk);
}

EncodedMessage AnswerComposer::Thumbnail(const Snapshot& shot, const std::vector<uint8_t>& jpeg) {
  Begin(msg::kThumbnail);
  bool ok = AppendText(shot.source.c_str()) == kOk && AppendText(shot.picture_path.c_str()) == kOk;
  if (ok && options_.version >= 3) {
    ok = block_.AppendU16(shot.is_clip ? 1 : 0) == kOk && AppendText(shot.clip_path.c_str()) == kOk;
  }
  ok = ok && block_.AppendU32(shot.time_stamp) == kOk && block_.AppendU32(0) == kOk &&
       AppendChunks(jpeg);
  return Take(ok);
}

EncodedMessage AnswerComposer::FullPicture(const std::string& source, const std::string& path,
                                           uint32_t time_stamp, const std::vector<uint8_t>& jpeg) {
  Begin(msg::kFullPicture);
  bool ok = AppendText(source.c_str()) == kOk && AppendText(path.c_str()) == kOk &&
            block_.AppendU32(time_stamp) == kOk && AppendChunks(jpeg);
  return Take(ok);
}

EncodedMessage AnswerComposer::ServerMessage(const std::string& target, bool plain,
                                             const std::string& caption, const std::string& text) {
  Begin(msg::kServerMessage);
  bool ok = AppendText(target.c_str()) == kOk && block_.AppendU32(plain ? 1 : 0) == kOk &&
            AppendText(caption.c_str()) == kOk && AppendText(text.c_str()) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::CommandResponse(const std::string& file_name,
                                               const std::string& contents) {
  Begin(msg::kCommandResponse);
  // A command response is always one block, whatever the header form. The file name is the
  // client's own, handed back as it came; the results are the server's text.
  const std::string text = TextToWire(contents);
  bool ok = block_.AppendString(file_name.c_str()) == kOk && block_.AppendU32(0) == kOk &&
            block_.AppendU32(static_cast<uint32_t>(text.size())) == kOk &&
            block_.AppendBytes(text.data(), static_cast<uint32_t>(text.size())) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::LaunchProgram(const std::string& file, const std::string& verb,
                                             const std::string& parameters,
                                             const std::string& directory, uint32_t show,
                                             const std::string& target) {
  Begin(msg::kLaunchProgram);
  bool ok = AppendText(file.c_str()) == kOk && AppendText(verb.c_str()) == kOk &&
            AppendText(parameters.c_str()) == kOk && AppendText(directory.c_str()) == kOk &&
            block_.AppendU32(show) == kOk && AppendText(target.c_str()) == kOk;
  return Take(ok);
}

EncodedMessage AnswerComposer::UnknownType() {
  Begin(msg::kRefusedAnswer18);
  return Take(block_.AppendU32(0) == kOk);
}

EncodedMessage AnswerComposer::LengthBeyondBlock(uint32_t type) {
  Begin(type);
  // A string field is an unused word and a length; the length claims the whole address range.
  static const char kSome[] = "not nearly that long";
  return Take(block_.AppendU32(0) == kOk && block_.AppendU32(0xFFFFFFFFu) == kOk &&
              block_.AppendBytes(kSome, sizeof kSome - 1) == kOk);
}

}  // namespace hv::sim
