// Helpers for the protocol's tests: payload and block images built byte by byte, a
// receiver that records what it is given, and a shell that records what it is asked.
#ifndef HV_CLIENT_PROTOCOL_TESTING_PROTOCOL_TEST_SUPPORT_H_
#define HV_CLIENT_PROTOCOL_TESTING_PROTOCOL_TEST_SUPPORT_H_

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "client/platform/shell.h"
#include "client/protocol/answer_receiver.h"
#include "core/file/whole_file.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"
#include "core/wire/block_header.h"

namespace hv {

namespace test {

using Bytes = std::vector<uint8_t>;

// A payload written field by field in wire encoding.
class Payload {
 public:
  Payload& U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Payload& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Payload& F64(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return *this;
  }
  Payload& Str(const std::string& text) {
    U32(0).U32(static_cast<uint32_t>(text.size() + 1));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
    return *this;
  }
  Payload& Chunk(const Bytes& data) {
    U32(0).U32(static_cast<uint32_t>(data.size()));
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  Payload& Raw(const Bytes& data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }
  operator const Bytes&() const { return bytes_; }  // NOLINT: reads naturally in tests

 private:
  Bytes bytes_;
};

// One block as it travels: header in the form its version calls for, then the payload.
inline Bytes BlockImage(uint32_t version, uint32_t type, const Bytes& payload, uint32_t number = 0,
                        uint16_t last = 1, const swGuid& guid = swGuid()) {
  const cBlockHeader header{.version = version,
                            .type = type,
                            .guid = guid,
                            .block_number = number,
                            .last_block = last,
                            .payload_length = static_cast<uint32_t>(payload.size())};
  Bytes out(kLongHeaderSize);
  out.resize(EncodeBlockHeader(header, out.data(), kLongHeaderSize));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

// The file's bytes; a file that cannot be read gives none, which the comparison then shows.
inline Bytes ReadWholeFile(const std::string& path) {
  std::string content;
  hv::ReadWholeFile(path, SIZE_MAX, &content).Ignore("an unreadable file compares as empty");
  return Bytes(content.begin(), content.end());
}

// Records every answer by its kind, keeping the records that tests look into.
class RecordingReceiver : public cAnswerReceiver {
 public:
  Status Receive(const Answer& answer) override {
    return std::visit([this](const auto& record) { return Take(record); }, answer);
  }

  std::vector<LogItemRecord> logs;
  std::vector<SwitchRecord> switches;
  std::vector<SensorRecord> sensors;
  std::vector<MacroRecord> macros;
  std::vector<ModeRecord> modes;
  std::vector<StatusChangeRecord> switch_status;
  std::vector<StatusChangeRecord> sensor_status;
  std::vector<MacroStatusRecord> macro_status;
  std::vector<ModeStatusRecord> mode_status;
  std::string control_file_name;
  int64_t client_qty = -1;
  int light_dark = -1;
  int pause = -1;
  int mute = -1;
  std::vector<int32_t> server_times;
  int connection_ended = 0;
  uint32_t dawn = 0;
  uint32_t dusk = 0;
  std::vector<VideoSourceRecord> video_sources;
  std::vector<ThumbnailRecord> thumbnails;
  std::vector<std::string> thumbnail_files;
  std::vector<Bytes> thumbnail_bytes;
  int32_t thumbnail_result = hv::kOk;
  std::vector<std::pair<std::string, std::string>> responses;
  std::vector<ServerMessageRecord> server_messages;
  std::vector<LaunchProgramRecord> launches;
  int32_t launch_result = hv::kOk;

 protected:
  template <class Into, class Record>
  static Status Keep(std::vector<Into>& into, const Record& r) {
    into.push_back(r);
    return Status::Ok();
  }
  Status Take(const LogItemRecord& r) { return Keep(logs, r); }
  Status Take(const SwitchRecord& r) { return Keep(switches, r); }
  Status Take(const SensorItemRecord& r) { return Keep(sensors, r); }
  Status Take(const MacroRecord& r) { return Keep(macros, r); }
  Status Take(const ModeRecord& r) { return Keep(modes, r); }
  Status Take(const SwitchStatusRecord& r) { return Keep(switch_status, r); }
  Status Take(const SensorStatusRecord& r) { return Keep(sensor_status, r); }
  Status Take(const MacroStatusRecord& r) { return Keep(macro_status, r); }
  Status Take(const ModeStatusRecord& r) { return Keep(mode_status, r); }
  Status Take(const VideoSourceRecord& r) { return Keep(video_sources, r); }
  Status Take(const ServerMessageRecord& r) { return Keep(server_messages, r); }
  Status Take(const ServerTimeRecord& r) { return Keep(server_times, r.seconds); }
  Status Take(const ControlFileNameRecord& r) {
    control_file_name = r.name.CStr();
    return Status::Ok();
  }
  Status Take(const ClientQtyRecord& r) { return Note(client_qty, r.quantity); }
  Status Take(const LightDarkRecord& r) { return Note(light_dark, r.dark); }
  Status Take(const PauseStateRecord& r) { return Note(pause, r.paused); }
  Status Take(const MuteStateRecord& r) { return Note(mute, r.muted); }
  Status Take(const DawnDuskRecord& r) {
    dawn = r.dawn;
    dusk = r.dusk;
    return Status::Ok();
  }
  // A picture handed over in memory is recorded with an empty file name.
  Status Take(const ThumbnailAnswer& a) {
    thumbnails.push_back(a.record);
    const ThumbnailPicture& picture = a.picture;
    if (picture.file != nullptr) {
      thumbnail_files.emplace_back(picture.file);
      thumbnail_bytes.push_back(ReadWholeFile(picture.file));
    } else {
      thumbnail_files.emplace_back();
      thumbnail_bytes.emplace_back(picture.bytes, picture.bytes + picture.size);
    }
    return Status(Where::kUi, thumbnail_result);
  }
  Status Take(const CommandResponseStoredRecord& r) {
    responses.emplace_back(r.received_name.CStr(), r.stored_path);
    return Status::Ok();
  }
  Status Take(const LaunchProgramRecord& r) {
    launches.push_back(r);
    return Status(Where::kUi, launch_result);
  }
  Status Take(const ConnectionEndedRecord&) {
    ++connection_ended;
    return Status::Ok();
  }
  // An answer no test looks into yet is taken and forgotten.
  template <class Other>
  Status Take(const Other&) {
    return Status::Ok();
  }

 private:
  template <class Field, class Value>
  static Status Note(Field& field, Value v) {
    field = static_cast<Field>(v);
    return Status::Ok();
  }
};

// Records what it is asked to open or execute and answers with `result`.
class RecordingShell : public cShell {
 public:
  struct Call {
    std::string verb, file, parameters, directory;
  };
  hv::Status Open(const char* file_or_url) override {
    opened.emplace_back(file_or_url);
    return hv::Status(hv::Where::kUi, result);
  }
  hv::Status Execute(const char* verb, const char* file, const char* parameters,
                     const char* directory, int32_t) override {
    executed.push_back(Call{verb, file, parameters, directory});
    return hv::Status(hv::Where::kUi, result);
  }
  std::vector<std::string> opened;
  std::vector<Call> executed;
  int32_t result = hv::kOk;
};

// The names of the entries of a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_TESTING_PROTOCOL_TEST_SUPPORT_H_
