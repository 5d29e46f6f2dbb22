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
#include <vector>

#include "client/platform/shell.h"
#include "client/protocol/answer_receiver.h"
#include "core/wire/block_header.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"

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

inline Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Records every answer as a short text line, and keeps the records that tests look into.
class RecordingReceiver : public cAnswerReceiver {
 public:
  template <class Record>
  static int32_t Keep(std::vector<Record>& into, const Record& r) {
    into.push_back(r);
    return hv::kOk;
  }
  template <class Field, class Value>
  static int32_t Note(Field& field, Value v) {
    field = static_cast<Field>(v);
    return hv::kOk;
  }
  void ConnectionEnded() override { ++connection_ended; }
  int32_t AddLogEntry(const LogItemRecord& r) override { return Keep(logs, r); }
  int32_t AddSwitch(const SwitchRecord& r) override { return Keep(switches, r); }
  int32_t AddSensor(const SensorRecord& r) override { return Keep(sensors, r); }
  int32_t AddMacro(const MacroRecord& r) override { return Keep(macros, r); }
  int32_t AddMode(const ModeRecord& r) override { return Keep(modes, r); }
  int32_t SetSwitchStatus(const StatusChangeRecord& r) override { return Keep(switch_status, r); }
  int32_t SetSensorStatus(const StatusChangeRecord& r) override { return Keep(sensor_status, r); }
  int32_t SetMacroStatus(const MacroStatusRecord& r) override { return Keep(macro_status, r); }
  int32_t SetModeStatus(const ModeStatusRecord& r) override { return Keep(mode_status, r); }
  int32_t SetControlFileName(const swString& name) override {
    control_file_name = name.CStr();
    return hv::kOk;
  }
  int32_t SetClientQty(uint32_t n) override { return Note(client_qty, n); }
  int32_t SetLightDark(uint16_t v) override { return Note(light_dark, v); }
  int32_t SetPauseState(uint16_t v) override { return Note(pause, v); }
  int32_t SetMuteState(uint16_t v) override { return Note(mute, v); }
  int32_t UpdateServerTime(int32_t t) override { return Keep(server_times, t); }
  int32_t SetDawnDusk(uint32_t dawn_time, uint32_t dusk_time) override {
    dawn = dawn_time;
    dusk = dusk_time;
    return hv::kOk;
  }
  int32_t AddVideoSource(const VideoSourceRecord& r) override { return Keep(video_sources, r); }
  // A picture handed over in memory is recorded with an empty file name.
  int32_t AddThumbnail(const ThumbnailRecord& r, const ThumbnailPicture& picture) override {
    thumbnails.push_back(r);
    if (picture.file != nullptr) {
      thumbnail_files.emplace_back(picture.file);
      thumbnail_bytes.push_back(ReadWholeFile(picture.file));
    } else {
      thumbnail_files.emplace_back();
      thumbnail_bytes.emplace_back(picture.bytes, picture.bytes + picture.size);
    }
    return thumbnail_result;
  }
  int32_t CommandResponseStored(const swString& name, const char* path) override {
    responses.emplace_back(name.CStr(), path);
    return hv::kOk;
  }
  int32_t ShowServerMessage(const ServerMessageRecord& r) override {
    return Keep(server_messages, r);
  }
  int32_t LaunchProgram(const LaunchProgramRecord& r) override {
    launches.push_back(r);
    return launch_result;
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
};

// Records what it is asked to open or execute and answers with `result`.
class RecordingShell : public cShell {
 public:
  struct Call {
    std::string verb, file, parameters, directory;
  };
  int32_t Open(const char* file_or_url) override {
    opened.emplace_back(file_or_url);
    return result;
  }
  int32_t Execute(const char* verb, const char* file, const char* parameters, const char* directory,
                  int32_t) override {
    executed.push_back(Call{verb, file, parameters, directory});
    return result;
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
