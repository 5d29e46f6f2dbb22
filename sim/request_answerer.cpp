#include "sim/request_answerer.h"

#include <ctime>
#include <utility>

#include "core/status.h"
#include "core/string/plain_text.h"
#include "core/string/real_text.h"
#include "core/string/wire_text.h"
#include "core/wire/message_types.h"
#include "sim/command_language.h"
#include "sim/request_reader.h"

namespace hv::sim {
namespace {

// Request texts come from the wire: the log shows one as a short line of printable text.
std::string LogQuoted(const std::string& text) { return Quoted(text, 200); }

// Today's local time of day (minutes after midnight) as seconds since 1970.
uint32_t TodayAt(int64_t now, int minutes) {
  time_t t = static_cast<time_t>(now);
  tm fields{};
  localtime_r(&t, &fields);
  fields.tm_hour = minutes / 60;
  fields.tm_min = minutes % 60;
  fields.tm_sec = 0;
  fields.tm_isdst = -1;
  return static_cast<uint32_t>(mktime(&fields));
}

}  // namespace

RequestAnswerer::RequestAnswerer(House& house, const SimClock& clock, const Options& options,
                                 AnswerComposer& composer, ClientConnections& connections,
                                 PictureCache& pictures, LogSink log)
    : house_(house),
      clock_(clock),
      options_(options),
      composer_(composer),
      connections_(connections),
      pictures_(pictures),
      log_(std::move(log)) {}

void RequestAnswerer::LogIfUnknown(const Status& done, const std::string& prefix, const char* what,
                                   const std::string& name) const {
  if (done.Is(Where::kSim, kNotFound)) log_(prefix + ": no such " + what + " " + LogQuoted(name));
}

const std::string& RequestAnswerer::GarbageBytes() {
  static const std::string kGarbage =
      "This is not a block header: housesim sends garbage on purpose to test the client.\r\n";
  return kGarbage;
}

void RequestAnswerer::QueueGarbage(ClientSession& client) {
  connections_.QueueBytes(client, reinterpret_cast<const uint8_t*>(GarbageBytes().data()),
                          GarbageBytes().size());
}

template <typename Item>
void RequestAnswerer::QueueList(ClientSession& client, const std::vector<Item>& items,
                                EncodedMessage (AnswerComposer::*answer)(const Item*)) {
  for (const Item& item : items) Queue(client, (composer_.*answer)(&item));
  Queue(client, (composer_.*answer)(nullptr));
}

void RequestAnswerer::HandleBlock(ClientSession& client, ReceivedBlock block) {
  std::vector<ReceivedBlock> message;
  const Status added = client.assembler.Add(std::move(block), &message);
  if (added.declined()) return;
  if (!added.ok()) {
    log_(client.Label() + " sent " + added.message() + "; the request is dropped");
    return;
  }
  HandleMessage(client, message);
}

void RequestAnswerer::HandleMessage(ClientSession& client,
                                    const std::vector<ReceivedBlock>& message) {
  const ReceivedBlock& first = message.front();
  const uint32_t type = first.header.type;
  const std::string prefix = client.Label() + ": " + msg::RequestName(type);

  if (type == msg::kLogin) {
    HandleLogin(client, first);
    return;
  }
  if (type == msg::kGoodbye) {
    log_(prefix);
    client.close_when_flushed = true;
    return;
  }
  if (type == msg::kLogoff) {
    log_(prefix);
    if (client.logged_in) {
      client.logged_in = false;
      client.log_feed = false;
      connections_.PushClientQty();
    }
    return;
  }
  if (!client.logged_in) {
    log_(prefix + " ignored: not logged in");
    return;
  }

  RequestReader in(first.payload);
  if (HandleItemRequest(client, type, in, prefix) ||
      HandleServerRequest(client, type, in, prefix) ||
      HandleVideoRequest(client, type, in, prefix)) {
    return;
  }
  if (type == msg::kSendCommandFile) {
    HandleCommandFile(client, message);
    return;
  }
  log_(client.Label() + ": unknown request type " + std::to_string(type) + " ignored");
}

// The log, the lists of items and their changes.
bool RequestAnswerer::HandleItemRequest(ClientSession& client, uint32_t type, RequestReader& in,
                                        const std::string& prefix) {
  switch (type) {
    case msg::kGetLogItems: {
      uint32_t max = in.U32(250);
      log_(prefix + " " + std::to_string(max));
      client.log_feed = true;
      for (const LogEntry& entry : house_.RecentLog(max)) Queue(client, composer_.LogItem(entry));
      break;
    }
    case msg::kGetSwitches:
    case msg::kGetSensors:
    case msg::kGetMacros:
    case msg::kGetModes: {
      log_(prefix);
      const HouseData& data = house_.data();
      if (type == msg::kGetSwitches)
        QueueList(client, data.switches, &AnswerComposer::SwitchItemAnswer);
      if (type == msg::kGetSensors)
        QueueList(client, data.sensors, &AnswerComposer::SensorItemAnswer);
      if (type == msg::kGetMacros) QueueList(client, data.macros, &AnswerComposer::MacroItemAnswer);
      if (type == msg::kGetModes) QueueList(client, data.modes, &AnswerComposer::ModeItemAnswer);
      break;
    }
    case msg::kGetControlFileName:
      log_(prefix);
      Queue(client, composer_.ControlFileName(house_.data().facts.control_file));
      break;
    case msg::kSetSwitchStatus:
    case msg::kSetSensorStatus: {
      std::string name = in.String();
      uint32_t status = in.U32();
      uint32_t value_int = in.U32();
      uint32_t extra = in.U32();
      double value = in.F64(static_cast<double>(static_cast<int32_t>(value_int)));
      log_(prefix + " " + LogQuoted(name) + " " + std::to_string(status) + " value " +
           hv::FixedRealText(value, 6) + " extra " + std::to_string(extra));
      const Status changed = type == msg::kSetSwitchStatus
                                 ? house_.SetSwitchStatus(name, status, value, client.user)
                                 : house_.SetSensorStatus(name, status, value, client.user);
      LogIfUnknown(changed, prefix, "item", name);
      break;
    }
    case msg::kSetMacroStatus: {
      std::string name = in.String();
      uint32_t status = in.U32();
      log_(prefix + " " + LogQuoted(name) + " " + std::to_string(status));
      LogIfUnknown(house_.SetMacroStatus(name, status, client.user), prefix, "macro", name);
      break;
    }
    case msg::kSetModeStatus: {
      std::string name = in.String();
      uint16_t state = in.U16();
      log_(prefix + " " + LogQuoted(name) + " " + std::to_string(state));
      LogIfUnknown(house_.SetModeStatus(name, state != 0, client.user), prefix, "mode", name);
      break;
    }
    default: return false;
  }
  return true;
}

void RequestAnswerer::HandleLogin(ClientSession& client, const ReceivedBlock& block) {
  RequestReader in(block.payload);
  std::string user = in.String();
  std::string password = in.String();
  if (!house_.CheckLogin(user, password)) {
    log_(client.Label() + ": Login " + LogQuoted(user) + " rejected");
    client.logged_in = false;
    connections_.CloseWithGoodbye(client);
    return;
  }
  log_(client.Label() + ": Login " + LogQuoted(user) + " accepted");
  client.logged_in = true;
  client.user = user;
  connections_.PushClientQty();
  if (options_.unknown_block_after_login) Queue(client, composer_.UnknownType());
  if (options_.garbage_after_login) {
    QueueGarbage(client);
  }
  if (options_.hostile) SendHostileAnswers(client);
}

// The server's own states: clients, messages, day and night, pause, mute, X10, time.
bool RequestAnswerer::HandleServerRequest(ClientSession& client, uint32_t type, RequestReader& in,
                                          const std::string& prefix) {
  switch (type) {
    case msg::kGetClientQty:
      log_(prefix);
      Queue(client, composer_.ClientQty(static_cast<uint32_t>(connections_.LoggedInCount())));
      break;
    case msg::kUserMessage: {
      std::string text = in.String();
      log_(prefix + " " + LogQuoted(text));
      house_.UserMessage(text, client.user);
      break;
    }
    case msg::kGetLightDark:
      log_(prefix);
      Queue(client, composer_.Flag(msg::kLightDark, house_.data().facts.dark));
      break;
    case msg::kSetLightDark:
    case msg::kSetPause:
    case msg::kSetMute: {
      uint16_t state = in.U16();
      log_(prefix + " " + std::to_string(state));
      if (type == msg::kSetLightDark) house_.SetLightDark(state != 0, client.user);
      if (type == msg::kSetPause) house_.SetPause(state != 0, client.user);
      if (type == msg::kSetMute) house_.SetMute(state != 0, client.user);
      break;
    }
    case msg::kSendX10Code: {
      uint32_t house_code = in.U32();
      uint32_t unit = in.U32();
      uint32_t function = in.U32();
      uint32_t dim = in.U32();
      log_(prefix + " house " + std::to_string(house_code) + " unit " + std::to_string(unit) +
           " function " + std::to_string(function) + " dim " + std::to_string(dim));
      house_.SendX10(house_code, unit, function, dim, client.user);
      break;
    }
    case msg::kGetServerTime:
      log_(prefix);
      Queue(client, composer_.ServerTime(clock_.WallSeconds()));
      break;
    case msg::kGetDawnDusk: {
      log_(prefix);
      int64_t now = clock_.WallSeconds();
      const ServerFacts& facts = house_.data().facts;
      Queue(client,
            composer_.DawnDusk(TodayAt(now, facts.dawn_minutes), TodayAt(now, facts.dusk_minutes)));
      break;
    }
    default: return false;
  }
  return true;
}

void RequestAnswerer::SendHostileAnswers(ClientSession& client) {
  // Names a careless client would join to its data folder and so write elsewhere; a sound
  // one keeps their file part.
  for (const char* name :
       {"../../hostile-escape.txt", "/tmp/hostile-absolute.txt",
        "C:\\Varnholt\\..\\..\\hostile-windows.txt", "..\\..\\hostile-backslash.txt"}) {
    Queue(client, composer_.CommandResponse(name, "written by a hostile server\r\n"));
  }
  // Run through a shell, any of these would create "hostile-ran" in the current folder.
  Queue(client, composer_.LaunchProgram(kHostileLaunchFile, "open", kHostileLaunchParameters, "", 1,
                                        "All"));
  for (int i = 0; i < kHostileMessageFlood; ++i) {
    Queue(client,
          composer_.ServerMessage("All", true, "Flood", "Server message " + std::to_string(i + 1)));
  }
  // Then one answer a sound client must not take as it stands (it drops the connection, or
  // reads a text field that runs past the block as empty); each login gets the next.
  const size_t round = hostile_rounds_++ % kHostileEndings;
  static const char* const kNoFilePart[] = {"..", ".", "", "hostile-dir/"};
  static const uint32_t kLengthTypes[] = {msg::kCommandResponse, msg::kServerMessage,
                                          msg::kLaunchProgram, msg::kSwitchItem};
  if (round < 4) {
    Queue(client, composer_.CommandResponse(kNoFilePart[round], "no file part\r\n"));
  } else {
    Queue(client, composer_.LengthBeyondBlock(kLengthTypes[round - 4]));
  }
}

// Video sources, pictures, recordings and camera motion.
bool RequestAnswerer::HandleVideoRequest(ClientSession& client, uint32_t type, RequestReader& in,
                                         const std::string& prefix) {
  switch (type) {
    case msg::kGetVideoSources:
      log_(prefix);
      for (const VideoSource& source : house_.data().video_sources) {
        Queue(client, composer_.VideoSourceAnswer(source));
      }
      break;
    case msg::kGetThumbnails: SendThumbnails(client, in); break;
    case msg::kGetFullPicture: SendFullPicture(client, in); break;
    case msg::kSnapPicture:
    case msg::kStartRecord:
    case msg::kStopRecord: {
      std::string source = in.String();
      log_(prefix + " " + LogQuoted(source));
      const Status done = type == msg::kSnapPicture   ? house_.Snap(source, client.user)
                          : type == msg::kStartRecord ? house_.StartRecord(source, client.user)
                                                      : house_.StopRecord(source, client.user);
      LogIfUnknown(done, prefix, "video source", source);
      break;
    }
    case msg::kVideoMotion: {
      std::string source = in.String();
      in.U32();  // always 1
      uint32_t code = in.U32();
      uint32_t repeat = in.U32(1);
      log_(prefix + " " + LogQuoted(source) + " code " + std::to_string(code) + " x" +
           std::to_string(repeat));
      LogIfUnknown(house_.VideoMotion(source, code, repeat, client.user), prefix, "video source",
                   source);
      break;
    }
    default: return false;
  }
  return true;
}

void RequestAnswerer::SendThumbnails(ClientSession& client, RequestReader& in) {
  uint32_t max = in.U32(100);
  in.U32();  // 1
  in.U32();  // 75
  // The client asks for 80 x 60; any sane size is honoured, anything else gets the default.
  uint32_t width = in.U32(80);
  uint32_t height = in.U32(60);
  if (width < 8 || width > 640 || height < 8 || height > 480) {
    width = 80;
    height = 60;
  }
  if (max == 0) max = House::kSnapshotsPerSource;
  log_(client.Label() + ": Get thumbnails " + std::to_string(max) + " " + std::to_string(width) +
       "x" + std::to_string(height));
  for (const VideoSource& source : house_.data().video_sources) {
    for (const Snapshot& shot : house_.RecentSnapshots(source.name, max)) {
      Queue(client, composer_.Thumbnail(shot, pictures_.Draw(shot, static_cast<int>(width),
                                                             static_cast<int>(height), false)));
    }
  }
}

void RequestAnswerer::SendFullPicture(ClientSession& client, RequestReader& in) {
  std::string source = in.String();
  std::string path = in.String();
  uint32_t time_stamp = in.U32();
  log_(client.Label() + ": Get full picture or video " + LogQuoted(source) + " " + LogQuoted(path));
  Snapshot shot;
  if (const Snapshot* known = house_.FindSnapshot(path)) {
    shot = *known;
  } else if (const VideoSource* video = house_.FindVideoSource(source)) {
    // A picture from before a restart of the server: draw it again from what the client knows.
    shot.source = video->name;
    shot.picture_path = path;
    shot.time_stamp = time_stamp;
  } else {
    LogEntry entry;
    entry.entry_type = kEntryWarning;
    entry.name = source;
    entry.message = "No such picture";
    entry.path = path;
    house_.AddLog(std::move(entry));
    return;
  }
  if (shot.picture_path.empty()) return;
  Queue(client, composer_.FullPicture(shot.source, shot.picture_path, shot.time_stamp,
                                      pictures_.Draw(shot, 320, 240, true)));
}

void RequestAnswerer::HandleCommandFile(ClientSession& client,
                                        const std::vector<ReceivedBlock>& message) {
  RequestReader first(message.front().payload);
  std::string command_path = first.String();
  std::string response_path = first.RawString();
  std::string text;
  bool whole = first.Chunk(&text);
  for (size_t i = 1; i < message.size() && whole; ++i) {
    RequestReader part(message[i].payload);
    whole = part.Chunk(&text);
  }
  log_(client.Label() + ": Send command file " + LogQuoted(command_path) + " response " +
       LogQuoted(response_path) + ", " + std::to_string(text.size()) + " bytes in " +
       std::to_string(message.size()) + " blocks");
  std::string response;
  if (!whole) {
    response = "ERROR the command file arrived damaged; no command was run\r\n";
  } else {
    // Programs on the client's machine may write UTF-8 or the code page; either reads.
    response = RunCommandFile(house_, TextFromWire(text), client.user + " (command file)");
  }
  // Without a response file name the client has nowhere to put an answer.
  if (!response_path.empty()) Queue(client, composer_.CommandResponse(response_path, response));
}

}  // namespace hv::sim
