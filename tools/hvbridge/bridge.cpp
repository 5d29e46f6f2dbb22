#include "tools/hvbridge/bridge.h"

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>
#include <variant>

#include "client/platform/clock.h"
#include "client/platform/event_loop.h"
#include "client/protocol/item_requests.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/video_requests.h"
#include "tools/hvbridge/bridge_identity.h"
#include "tools/hvbridge/log_entry_json.h"
#include "tools/hvbridge/server_advice.h"

namespace hv::bridge {

namespace {

constexpr ItemKind kListedKinds[] = {ItemKind::kSwitch, ItemKind::kSensor, ItemKind::kMacro,
                                     ItemKind::kMode};
// Answers that settle the lists (the cameras follow the modes) are gathered this long before
// the house is announced, so one login makes one announcement.
constexpr uint32_t kAnnounceDelayMs = 200;
// Log entries are a stream nobody can ask for again; while the broker is this far behind,
// new ones are dropped (and counted) rather than held without bound.
constexpr uint32_t kMaxUnacknowledged = 20000;
// Publishing the whole house keeps at most this many messages with the broker's library (and
// a config announced meanwhile waits behind no more than these).
constexpr uint32_t kPublishAllWindow = 400;
// How often the bridge looks whether the broker has caught up while it holds messages back.
constexpr uint32_t kCatchUpPeriodMs = 10;
// A discovery config this long is published behind the house's states (see Announce).
constexpr size_t kLargeMessageBytes = 256 * 1024;
constexpr uint32_t kMaxThumbnailBytes = 16u << 20;
// All the cameras' latest pictures together; a house with more is published as it comes.
constexpr size_t kMaxKeptThumbnailBytes = 8u << 20;

std::string Bytes(const swString& text) { return std::string(text.CStr(), text.GetLength()); }

BridgeItem NamedItem(const swString& name, const swString& description, uint32_t status) {
  BridgeItem item;
  item.name = Bytes(name);
  item.description = Bytes(description);
  item.status = status;
  return item;
}

// Switches and sensors come in records of one shape.
BridgeItem ItemOf(const SwitchRecord& r) {
  BridgeItem item = NamedItem(r.name, r.description, r.status);
  item.type = r.kind;
  item.io_kind = r.io_kind;
  item.value_as_integer = r.value_as_integer;
  item.value = r.value;
  return item;
}

uint32_t Bit(ItemKind kind) { return 1u << static_cast<unsigned>(kind); }

// The file part of a Windows or POSIX path, without its extension.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

// How many commands wait for the server to be heard; a flood beyond this is not tracked.
constexpr size_t kMaxUnheardCommands = 1000;

std::string Iso8601(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm utc;
  if (gmtime_r(&t, &utc) == nullptr) return "";
  char text[40];
  if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+00:00", &utc) == 0) return "";
  return text;
}

}  // namespace

cBridge::cBridge(cEventLoop& loop, cClock& clock, BridgeSetup setup)
    : loop_(loop), clock_(clock), setup_(std::move(setup)), context_(clock) {
  context_.SetPauseHook([this](uint32_t ms) { loop_.Pump(ms); });
  cSessionServices services;
  services.receiver = this;
  services.activity_log = this;
  services.event_loop = &loop_;
  // The bridge asks for no files; whatever a server sends anyway lands in a folder of its own,
  // apart from the bridge's state.
  services.data_folder = (setup_.state_folder + "/hvbridge-received").c_str();
  connection_ = std::make_unique<cServerConnection>(context_, services);
  layout_.discovery_prefix = setup_.options.discovery_prefix;
  discovery_options_.per_entity = setup_.options.per_entity;
  discovery_options_.off_delay_seconds = setup_.options.off_delay_seconds;
  discovery_options_.temperature_unit = setup_.options.temperature_unit;
  discovery_options_.version = setup_.version;
  // Before every house had its own client id, one id was kept per state folder.
  std::remove((setup_.state_folder + "/hvbridge-client-id").c_str());
}

cBridge::~cBridge() {
  if (tick_timer_ != 0) loop_.StopTimer(tick_timer_);
  if (catch_up_timer_ != 0) loop_.StopTimer(catch_up_timer_);
  if (announce_timer_ != 0) loop_.StopTimer(announce_timer_);
}

void cBridge::Log(const std::string& line) const {
  if (setup_.log) setup_.log(line);
}

void cBridge::Start() {
  // A named house is on the broker at once, unless its server's name does not resolve yet:
  // then the identity waits for the login, so that it never depends on the network's state.
  const BridgeOptions& o = setup_.options;
  if (!o.house.empty() && (!o.id.empty() || !ResolveHost(o.server_host).empty())) {
    Identify(o.house);
  }
  tick_timer_ = loop_.StartTimer(500, [this] { Tick(); });
  last_check_ = clock_.TickCount();
  ConnectServer();
}

void cBridge::Stop() {
  if (connection_->IsConnected()) {
    connection_->Disconnect().Ignore("a server that is gone already needs no goodbye");
  }
  server_online_ = false;
  PublishServerAvailability();
  if (broker_) broker_->Stop();
}

// --- The server connection -------------------------------------------------------------

void cBridge::ConnectServer() {
  const BridgeOptions& o = setup_.options;
  last_check_ = clock_.TickCount();
  const Status connected = connection_->Connect(o.server_host.c_str(), o.server_port,
                                                o.user.c_str(), setup_.server_password.c_str());
  if (connected.failed()) {
    // The connection's own entry has said why (ShowLogEntry); once per series is enough here.
    if (!retrying_)
      Log("the server is not there; trying again after 2, 5, 10, 30 and 60 s, then every 2 "
          "minutes");
    ServerLost();
    return;
  }
  watch_.Connected(clock_.TickCount(), context_.BlocksReceived());
  time_asked_at_ = clock_.TickCount();
  RequestHouse();
}

void cBridge::RequestHouse() {
  cRemoteClientSocket* s = connection_->Socket();
  lists_pending_ = 0;
  for (const ItemKind kind : kListedKinds) {
    house_.BeginRefresh(kind);
    lists_pending_ |= Bit(kind);
  }
  house_.BeginRefresh(ItemKind::kCamera);
  cameras_staging_ = true;
  lists_pending_ |= Bit(ItemKind::kCamera);
  // The desktop's requests after a login, in its order, so the server sees a familiar client.
  const Status results[] = {
      SendGetControlFileName(s), SendGetSwitches(s),      SendGetSensors(s),
      SendGetMacros(s),          SendGetModes(s),         SendGetLightDark(s),
      SendGetVideoSources(s),    SendGetThumbnails(s, 1), SendGetServerTime(s),
      SendGetDawnDusk(s),        SendGetLogItems(s, 0),
  };
  dawn_dusk_asked_ = -1;
  for (const Status& sent : results) {
    if (sent.failed()) {
      Log("the requests after the login were not all sent (" + sent.ToString() + ")");
      break;
    }
  }
}

void cBridge::Tick() {
  const uint32_t now = clock_.TickCount();
  if (trim_when_acknowledged_ && (!broker_connected_ || broker_->Unacknowledged() == 0)) {
    trim_when_acknowledged_ = false;
    malloc_trim(0);
  }
  if (!connection_->IsConnected()) {
    const bool due = refused_logins_ > 0
                         ? now - refused_at_ >= RefusedLoginDelayMs(refused_logins_)
                         : reconnect_.Due(now) || now - last_check_ >= kCheckPeriodMs;
    if (due) {
      ConnectServer();
      // The try is used up even when the socket connected: the series ends only when the
      // server is heard, so a login turned down keeps the quick tries going.
      reconnect_.Checked(clock_.TickCount(), false);
    }
    return;
  }
  const uint32_t blocks = context_.BlocksReceived();
  std::erase_if(unheard_commands_, [blocks](const auto& sent) { return sent.second != blocks; });
  cServerWatch::Verdict verdict = watch_.Tick(now, blocks);
  if (verdict == cServerWatch::Verdict::kFine && now - time_asked_at_ >= kTimePeriodMs) {
    verdict = cServerWatch::Verdict::kAsk;
  }
  if (verdict == cServerWatch::Verdict::kAsk) {
    if (SendGetServerTime(connection_->Socket()).ok()) {
      watch_.Asked(now);
      time_asked_at_ = now;
    } else {
      verdict = cServerWatch::Verdict::kFrozen;
    }
  }
  if (verdict == cServerWatch::Verdict::kFrozen) ServerFrozen();
}

void cBridge::ServerFrozen() {
  // A server that takes bytes but answers nothing (a stopped process, a computer asleep
  // behind a live router) is as good as gone.
  Log("the server has not answered for " +
      std::to_string((cServerWatch::kQuietMs + cServerWatch::kDeadlineMs) / 1000) +
      " s; connecting again");
  connection_->Disconnect().Ignore("the connection is being replaced either way");
  server_online_ = false;
  server_time_ = 0;
  PublishServerAvailability();
  for (const auto& [topic, blocks] : unheard_commands_) {
    Refuse(topic, "unavailable: the server stopped answering; the command may not have run");
  }
  unheard_commands_.clear();
  ServerLost();
}

void cBridge::ServerLost() {
  if (retrying_) return;  // a try of the running series failed: the series goes on
  const uint32_t now = clock_.TickCount();
  reconnect_.ConnectionLost(now);
  retrying_ = true;
  last_check_ = now;
}

void cBridge::ServerHeard() {
  if (server_online_) return;
  server_online_ = true;
  retrying_ = false;
  refused_logins_ = 0;
  reconnect_.Checked(clock_.TickCount(), true);
  Log("logged in to the server " + setup_.options.server_host + ":" +
      std::to_string(setup_.options.server_port) + " as " + setup_.options.user);
  PublishServerAvailability();
}

hv::Status cBridge::Receive(const Answer& answer) {
  return std::visit(
      AnswerVisitor{
          [this](const LogItemRecord& r) { return AddLogEntry(r); },
          [this](const SwitchRecord& r) { return AddSwitch(r); },
          [this](const SensorItemRecord& r) { return AddSensor(r); },
          [this](const MacroRecord& r) { return AddMacro(r); },
          [this](const ModeRecord& r) { return AddMode(r); },
          [this](const SwitchStatusRecord& r) { return SetSwitchStatus(r); },
          [this](const SensorStatusRecord& r) { return SetSensorStatus(r); },
          [this](const MacroStatusRecord& r) { return SetMacroStatus(r); },
          [this](const ModeStatusRecord& r) { return SetModeStatus(r); },
          [this](const ControlFileNameRecord& r) { return SetControlFileName(r.name); },
          [this](const ServerTimeRecord& r) { return UpdateServerTime(r.seconds); },
          [this](const DawnDuskRecord& r) { return SetDawnDusk(r.dawn, r.dusk); },
          [this](const LightDarkRecord& r) { return SetControl("night", &night_, r.dark != 0); },
          [this](const PauseStateRecord& r) {
            return SetControl("pause", &paused_, r.paused != 0);
          },
          [this](const MuteStateRecord& r) { return SetControl("mute", &muted_, r.muted != 0); },
          [this](const VideoSourceRecord& r) { return AddVideoSource(r); },
          [this](const ThumbnailAnswer& a) { return AddThumbnail(a.record, a.picture); },
          [this](const ConnectionEndedRecord&) {
            ConnectionEnded();
            return Status::Ok();
          },
          // What the server asks of a desktop, and how many clients it has, are no facts of
          // the house.
          AnswerKinds<ClientQtyRecord, ServerMessageRecord, LaunchProgramRecord,
                      CommandResponseStoredRecord>(
              [](const auto&) { return Status::Declined(Where::kBridge); }),
      },
      answer);
}

void cBridge::ConnectionEnded() {
  if (connection_->LoginRefused()) {
    // A wrong password does not mend itself: the tries slow down instead of hammering the
    // server (and perhaps locking the account).
    refused_at_ = clock_.TickCount();
    const uint32_t delay = RefusedLoginDelayMs(++refused_logins_);
    // The connection's own entry has named the keys to check (ShowLogEntry).
    Log("the server turned the login of " + setup_.options.user + " down; trying again in " +
        std::to_string(delay / 1000) + " s, and less often while it is turned down");
  } else if (!connection_->HeardSinceLogin()) {
    Log("the server closed the connection of " + setup_.options.user + " at once; trying again");
  } else {
    Log("the server connection ended; trying again");
  }
  server_online_ = false;
  server_time_ = 0;
  PublishServerAvailability();
  ServerLost();
}

// --- Identity and the broker -----------------------------------------------------------

void cBridge::Identify(const std::string& house) {
  const BridgeOptions& o = setup_.options;
  // However the address was typed ("localhost", "127.0.0.1", a name or its address), one
  // server is one identity, and so one device in Home Assistant.
  const std::string server = ServerIdentity(
      o.id, o.id.empty() ? CanonicalServer(o.server_host, o.server_port, ResolveHost) : "");
  house_.SetIdentity(server, house);
  device_.key = HouseKey(server, house);
  client_id_ = ClientIdFor(device_.key);
  last_identity_path_ =
      LastIdentityPath(setup_.state_folder, o.config_file,
                       o.server_host + ":" + std::to_string(o.server_port), o.user);
  std::string last = ReadLastIdentity(last_identity_path_);
  // A bridge from before identities were kept used the address as it was typed.
  if (last.empty()) last = HouseKey(o.server_host + ":" + std::to_string(o.server_port), house);
  if (!last.empty() && last != device_.key) {
    old_record_path_ = setup_.state_folder + "/hvbridge-discovery-" + last + ".txt";
    if (access(old_record_path_.c_str(), F_OK) == 0) {
      Log("this bridge announced the house under another identity before; its entities are "
          "taken away");
    } else {
      old_record_path_.clear();
    }
  }
  device_.display = DisplayText(house, kMaxDisplayBytes);
  layout_.prefix = o.prefix.empty() ? "hearthview/" + TopicSafe(house, 64) : o.prefix;
  log_topic_ = layout_.Log();
  record_path_ = setup_.state_folder + "/hvbridge-discovery-" + device_.key + ".txt";
  house_known_ = true;
  Log("house \"" + device_.display + "\" on topics " + layout_.prefix + "/#");
  StartBroker();
}

void cBridge::StartBroker() {
  const BridgeOptions& o = setup_.options;
  MqttSettings settings;
  settings.host = o.broker_host;
  settings.port = o.broker_port;
  settings.client_id = client_id_;
  settings.user = o.broker_user;
  settings.password = setup_.broker_password;
  if (o.tls) {
    settings.ca_file = o.ca_file;
    settings.cert_file = o.cert_file;
    settings.key_file = o.key_file;
  }
  settings.will_topic = layout_.BridgeAvailability();
  cMqttLink::Handlers handlers;
  handlers.connected = [this] { BrokerConnected(); };
  handlers.lost = [this](std::string why) {
    broker_connected_ = false;
    if (!why.empty() && why.back() == '.') why.pop_back();  // the library's texts end in one
    Log(why + "; trying again");
  };
  handlers.message = [this](const std::string& topic, const std::string& payload, bool retained) {
    BrokerMessage(topic, payload, retained);
  };
  broker_ = std::make_unique<cMqttLink>(loop_, settings, std::move(handlers));
  const Status started = broker_->Start();
  if (!started.ok()) Log("the broker connection cannot start: " + started.ToString());
}

void cBridge::BrokerConnected() {
  broker_connected_ = true;
  Log("connected to the broker " + setup_.options.broker_host + ":" +
      std::to_string(setup_.options.broker_port) + " as " + client_id_);
  Publish(layout_.BridgeAvailability(), "online", true);
  PublishServerAvailability();
  for (const std::string& pattern :
       {layout_.ItemCommands(), layout_.CameraSnaps(), layout_.X10Send(), layout_.ControlCommands(),
        setup_.options.status_topic}) {
    if (!broker_->Subscribe(pattern)) Log("cannot subscribe to " + pattern);
  }
  if (lists_pending_ == 0 && server_online_) {
    // The states first: a big announcement goes out behind them (see Announce).
    PublishAll();
    Announce();
  }
}

bool cBridge::Publish(const std::string& topic, std::string_view payload, bool retain) {
  return broker_connected_ && broker_ && broker_->Publish(topic, payload, retain);
}

void cBridge::PublishServerAvailability() {
  Publish(layout_.ServerAvailability(), server_online_ ? "online" : "offline", true);
}

// --- Commands --------------------------------------------------------------------------

void cBridge::BrokerMessage(const std::string& topic, const std::string& payload, bool retained) {
  if (topic == setup_.options.status_topic) {
    if (payload == "online" && lists_pending_ == 0 && house_known_) {
      Log("Home Assistant is online: announcing the house again");
      Announce();
    }
    return;
  }
  // An empty message clears a retained one (ours below, or anyone's); it asks for nothing,
  // not even a snapshot.
  if (payload.empty()) return;
  if (retained) {
    // A retained command would run again at every start and every reconnect: the lights
    // that come on at a restart. It is not run, and taken off the broker.
    Log("ignored the retained command " + DisplayText(payload, 40) + " on " +
        DisplayText(topic, 300) + " (commands run only when sent) and cleared it");
    Publish(topic, "", true);
    return;
  }
  const ParsedCommand parsed = ParseCommand(layout_.prefix, topic, payload);
  if (!parsed.ok) {
    Refuse(topic, parsed.problem);
    return;
  }
  Command(parsed.command, topic);
}

void cBridge::Refuse(const std::string& topic, const std::string& why) {
  const std::string line =
      refusals_.Line(clock_.TickCount(), "refused " + DisplayText(topic, 300) + ": " + why);
  if (!line.empty()) Log(line);
  nlohmann::json error = {{"topic", topic}, {"error", why}};
  Publish(layout_.Errors(), error.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
          false);
}

void cBridge::Command(const BridgeCommand& command, const std::string& topic) {
  if (!connection_->IsConnected() || !server_online_) {
    Refuse(topic, "unavailable: the server is away");
    return;
  }
  cRemoteClientSocket* s = connection_->Socket();
  Status rc;
  const auto on = static_cast<uint16_t>(command.level);
  if (command.action == CommandAction::kX10) {
    rc = SendX10Code(s, command.x10_house, command.x10_unit, command.x10_function, command.x10_dim);
  } else if (command.action == CommandAction::kPause) {
    rc = SendSetPause(s, on);
  } else if (command.action == CommandAction::kMute) {
    rc = SendSetMute(s, on);
  } else if (command.action == CommandAction::kNight) {
    rc = SendSetLightDark(s, on);
  } else {
    const BridgeItem* item = house_.FindBySegment(command.kind, command.segment);
    if (item == nullptr) {
      Refuse(topic, "no such item");
      return;
    }
    // Names go back byte for byte; a C string cannot carry a NUL, so such a name would
    // reach another item (or none).
    if (item->name.find('\0') != std::string::npos) {
      Refuse(topic, "the item's name holds a NUL byte and cannot be sent back to the server");
      return;
    }
    const char* name = item->name.c_str();
    constexpr uint32_t kOn = 2, kOff = 3, kDim = 4;
    switch (command.action) {
      case CommandAction::kOn:
      case CommandAction::kOff: {
        const uint32_t status = command.action == CommandAction::kOn ? kOn : kOff;
        rc = item->kind == ItemKind::kSensor ? SendSetSensorStatus(s, name, status, 0, 0, 0.0)
                                             : SendSetSwitchStatus(s, name, status, 0, 0, 0.0);
        break;
      }
      case CommandAction::kToggle:
        rc = SendSetSwitchStatus(s, name, IsOn(*item) ? kOff : kOn, 0, 0, 0.0);
        break;
      case CommandAction::kBrightness:
        if (!IsDimmer(*item)) {
          Refuse(topic, "only X10 switches take a brightness");
          return;
        }
        rc = command.level == 0
                 ? SendSetSwitchStatus(s, name, kOff, 0, 0, 0.0)
                 : SendSetSwitchStatus(s, name, kDim, static_cast<uint32_t>(command.level), 0,
                                       static_cast<double>(command.level));
        break;
      case CommandAction::kStart: rc = SendSetMacroStatus(s, name, 3); break;
      case CommandAction::kStop: rc = SendSetMacroStatus(s, name, 2); break;
      case CommandAction::kActivate: rc = SendSetModeStatus(s, name, 1); break;
      case CommandAction::kDeactivate: rc = SendSetModeStatus(s, name, 0); break;
      case CommandAction::kSnap: rc = SendSnapPicture(s, name); break;
      case CommandAction::kX10:
      case CommandAction::kPause:
      case CommandAction::kMute:
      case CommandAction::kNight: break;
    }
  }
  if (rc.failed()) {
    Refuse(topic, "not sent: " + rc.ToString());
  } else if (unheard_commands_.size() < kMaxUnheardCommands) {
    unheard_commands_.emplace_back(topic, context_.BlocksReceived());
  }
}

// --- Answers ---------------------------------------------------------------------------

Status cBridge::SetControlFileName(const swString& name) {
  ServerHeard();
  std::string house = BaseName(Bytes(name));
  if (house.empty()) house = "house";
  if (!house_known_) {
    Identify(setup_.options.house.empty() ? house : setup_.options.house);
  } else if (setup_.options.house.empty() && house != house_.House()) {
    Log("the server now serves \"" + DisplayText(house, kMaxDisplayBytes) +
        "\"; the bridge goes on as \"" + device_.display + "\" until it is restarted");
  }
  return Status::Ok();
}

Status cBridge::StageItem(ItemKind kind, BridgeItem item) {
  ServerHeard();
  if (item.name.empty()) {
    house_.EndList(kind);
    ListEnded(kind);
    return Status::Ok();
  }
  item.kind = kind;
  std::string problem;
  if (!house_.Stage(std::move(item), &problem)) {
    if (++refused_items_ <= 10)
      Log(std::string("a ") + KindName(kind) + " was left out: " + problem);
  }
  return Status::Ok();
}

void cBridge::ListEnded(ItemKind kind) {
  lists_pending_ &= ~Bit(kind);
  // The house goes out whole: states published list by list would miss a broker that
  // connects between two lists (it is told everything when it connects, but only of a
  // whole house).
  if (lists_pending_ == 0) {
    PublishAll();
    ScheduleAnnounce();
  }
}

Status cBridge::AddSwitch(const SwitchRecord& r) { return StageItem(ItemKind::kSwitch, ItemOf(r)); }

Status cBridge::AddSensor(const SensorRecord& r) { return StageItem(ItemKind::kSensor, ItemOf(r)); }

Status cBridge::AddMacro(const MacroRecord& r) {
  return StageItem(ItemKind::kMacro, NamedItem(r.name, r.description, r.status));
}

Status cBridge::AddMode(const ModeRecord& r) {
  return StageItem(ItemKind::kMode, NamedItem(r.name, r.description, r.state));
}

Status cBridge::AddVideoSource(const VideoSourceRecord& r) {
  ServerHeard();
  if (r.name.GetLength() == 0 || !cameras_staging_) return Status::Declined(Where::kBridge);
  BridgeItem item;
  item.kind = ItemKind::kCamera;
  item.name = Bytes(r.name);
  item.type = r.source_number;
  std::string problem;
  if (!house_.Stage(std::move(item), &problem)) Log("a camera was left out: " + problem);
  return Status::Ok();
}

template <typename Update>
Status cBridge::ChangeItem(ItemKind kind, const swString& name, Update update) {
  ServerHeard();
  const std::string key = Bytes(name);
  if (BridgeItem* staged = house_.FindStaged(kind, key)) update(*staged, false);
  if (BridgeItem* item = house_.Find(kind, key)) update(*item, true);
  return Status::Ok();
}

namespace {

// What a switch's or a sensor's status change carries.
void TakeStatusChange(BridgeItem& item, const StatusChangeRecord& change) {
  item.status = change.status;
  item.value_as_integer = change.value_as_integer;
  item.value = change.value;
}

}  // namespace

Status cBridge::SetSwitchStatus(const StatusChangeRecord& r) {
  return ChangeItem(ItemKind::kSwitch, r.name, [&](BridgeItem& item, bool listed) {
    TakeStatusChange(item, r);
    if (listed) PublishItem(item);
  });
}

Status cBridge::SetSensorStatus(const StatusChangeRecord& r) {
  return ChangeItem(ItemKind::kSensor, r.name, [&](BridgeItem& item, bool listed) {
    const SensorClass before = ClassOf(item);
    TakeStatusChange(item, r);
    if (!listed) return;
    PublishItem(item);
    // A sensor that turns out to be another kind (its first status was a plain Off) is
    // announced again as what it is.
    if (ClassOf(item) != before && ClassOf(item) != SensorClass::kOther) ScheduleAnnounce();
  });
}

Status cBridge::SetMacroStatus(const MacroStatusRecord& r) {
  return ChangeItem(ItemKind::kMacro, r.name, [&](BridgeItem& item, bool listed) {
    const bool was_running = IsOn(item);
    item.status = r.status;
    if (!listed) return;
    PublishItem(item);
    if (was_running != IsOn(item)) {
      const nlohmann::json event = {{"event_type", IsOn(item) ? "started" : "finished"}};
      Publish(layout_.Item(item.kind, item.segment, "event"), event.dump(), false);
    }
  });
}

Status cBridge::SetModeStatus(const ModeStatusRecord& r) {
  return ChangeItem(ItemKind::kMode, r.name, [&](BridgeItem& item, bool listed) {
    item.status = r.state;
    if (listed) PublishItem(item);
  });
}

Status cBridge::AddLogEntry(const LogItemRecord& e) {
  ServerHeard();
  if (!broker_connected_) return Status::Declined(Where::kBridge);
  if (broker_->Unacknowledged() > kMaxUnacknowledged) {
    if (dropped_log_entries_++ % 1000 == 0) {
      Log("the broker is behind: activity entries are being dropped (" +
          std::to_string(dropped_log_entries_) + " so far)");
    }
    return Status::Declined(Where::kBridge);
  }
  Publish(log_topic_, LogEntryJson(e), false);
  return Status::Ok();
}

void cBridge::PublishTimestamp(const char* fact, int64_t seconds) {
  if (seconds > 0) Publish(layout_.ServerFact(fact), Iso8601(seconds), true);
}

Status cBridge::UpdateServerTime(int32_t seconds) {
  ServerHeard();
  // Video sources have no end of list; the server answers in the order it was asked, and the
  // server time was asked after them, so its answer closes their list.
  server_time_ = seconds;
  // Dawn and dusk hold for one day: a new day at the server asks for them again.
  if (dawn_dusk_asked_ < 0) {
    dawn_dusk_asked_ = seconds;
  } else if (seconds > 0 && AnotherDay(dawn_dusk_asked_, seconds) &&
             SendGetDawnDusk(connection_->Socket()).ok()) {
    dawn_dusk_asked_ = seconds;
  }
  if (cameras_staging_) {
    house_.EndList(ItemKind::kCamera);
    cameras_staging_ = false;
    std::erase_if(thumbnails_, [this](const auto& kept) {
      return house_.Find(ItemKind::kCamera, kept.first) == nullptr;
    });
    ListEnded(ItemKind::kCamera);
  }
  PublishTimestamp("time", seconds);
  return Status::Ok();
}

Status cBridge::SetDawnDusk(uint32_t dawn, uint32_t dusk) {
  ServerHeard();
  dawn_ = dawn;
  dusk_ = dusk;
  PublishTimestamp("dawn", dawn);
  PublishTimestamp("dusk", dusk);
  return Status::Ok();
}

Status cBridge::SetControl(const char* control, std::optional<bool>* kept, bool on) {
  ServerHeard();
  *kept = on;
  PublishControl(control, *kept);
  return Status::Ok();
}

void cBridge::PublishControl(const char* control, const std::optional<bool>& state) {
  if (state) Publish(layout_.ServerFact(control), *state ? "ON" : "OFF", true);
}

Status cBridge::AddThumbnail(const ThumbnailRecord& record, const ThumbnailPicture& picture) {
  ServerHeard();
  const std::string source = Bytes(record.source_name);
  if (house_.Find(ItemKind::kCamera, source) == nullptr &&
      house_.FindStaged(ItemKind::kCamera, source) == nullptr) {
    return Status::Declined(Where::kBridge);
  }
  std::string bytes;
  if (picture.file == nullptr) {
    bytes.assign(reinterpret_cast<const char*>(picture.bytes), picture.size);
  } else {
    // A picture gathered from several blocks is a temporary file that the next one
    // overwrites. The buffer is as big as the file: a thumbnail is kilobytes.
    std::ifstream in(picture.file, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size < 0 || size > static_cast<std::streamoff>(kMaxThumbnailBytes)) {
      return Status::Declined(Where::kBridge);
    }
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
  }
  if (bytes.size() > kMaxThumbnailBytes) return Status::Declined(Where::kBridge);
  // The latest picture of each camera is kept for a broker that connects later (the
  // pictures come right after the login, often before the broker is there).
  size_t kept = 0;
  for (const auto& [name, picture_bytes] : thumbnails_)
    kept += name == source ? 0 : picture_bytes.size();
  if (kept + bytes.size() <= kMaxKeptThumbnailBytes) {
    thumbnails_[source] = bytes;
  } else {
    thumbnails_.erase(source);
  }
  PublishThumbnail(source, bytes);
  return Status::Ok();
}

void cBridge::PublishThumbnail(const std::string& source, const std::string& bytes) {
  const BridgeItem* camera = house_.Find(ItemKind::kCamera, source);
  if (camera == nullptr) camera = house_.FindStaged(ItemKind::kCamera, source);
  if (camera != nullptr) {
    Publish(layout_.Item(ItemKind::kCamera, camera->segment, "thumbnail"), bytes, true);
  }
}

hv::Status cBridge::ShowLogEntry(const LogItemRecord& entry) {
  // The connection's hints point at the desktop's Setup dialog, which the bridge does not
  // have: they name the bridge's own file and key instead.
  const std::string message =
      WithBridgeAdvice(DisplayText(Bytes(entry.message), 1000), setup_.options);
  Log(DisplayText(Bytes(entry.name), 200) + ": " + message);
  return hv::Status::Ok();
}

hv::Status cBridge::AddLogEntry(const LogItemRecord& entry, bool, bool) {
  return ShowLogEntry(entry);
}

// --- Publishing the house --------------------------------------------------------------

void cBridge::PublishItem(const BridgeItem& item) {
  if (!broker_connected_ || item.kind == ItemKind::kCamera) return;
  if (broker_->Unacknowledged() > kMaxUnacknowledged) {
    // The broker is behind: the item is marked and published once it has caught up, with
    // whatever its state is by then, so a flood costs one mark per item, not one message
    // per change.
    behind_.insert({item.kind, item.name});
    KeepCatchingUp();
    return;
  }
  std::string& topic = item_topic_;
  layout_.ItemFolder(item.kind, item.segment, &topic);
  const size_t folder = topic.size();
  Publish(topic.append("state"), StateText(item), true);
  topic.resize(folder);
  Publish(topic.append("attributes"), AttributesJson(item), true);
  if (IsDimmer(item)) {
    topic.resize(folder);
    Publish(topic.append("brightness"), std::to_string(BrightnessOf(item)), true);
  }
}

void cBridge::KeepCatchingUp() {
  if (catch_up_timer_ == 0) {
    catch_up_timer_ = loop_.StartTimer(kCatchUpPeriodMs, [this] { CatchUp(); });
  }
}

void cBridge::CatchUp() {
  while (!behind_.empty() && broker_connected_ &&
         broker_->Unacknowledged() <= kMaxUnacknowledged / 2) {
    const auto [kind, name] = *behind_.begin();
    behind_.erase(behind_.begin());
    if (const BridgeItem* item = house_.Find(kind, name)) PublishItem(*item);
  }
  // The whole house goes out a window at a time: the broker's library keeps every message
  // until it is acknowledged, and 10,000 items' states handed over at once are megabytes.
  PublishHouseUpTo(kPublishAllWindow);
  if (!broker_connected_) {
    // A new broker connection publishes everything anyway.
    behind_.clear();
    publishing_all_ = false;
  }
  if (behind_.empty() && !publishing_all_) {
    if (catch_up_timer_ != 0) loop_.StopTimer(catch_up_timer_);
    catch_up_timer_ = 0;
  } else {
    KeepCatchingUp();
  }
}

void cBridge::PublishHouseUpTo(uint32_t unacknowledged) {
  while (publishing_all_ && broker_connected_ && broker_->Unacknowledged() < unacknowledged) {
    const BridgeItem* item =
        published_up_to_ ? house_.ItemAfter(*published_up_to_) : house_.FirstItem();
    if (item == nullptr) {
      publishing_all_ = false;
      break;
    }
    published_up_to_ = {item->kind, item->name};
    PublishItem(*item);
  }
}

void cBridge::PublishAll() {
  publishing_all_ = true;
  published_up_to_.reset();
  for (const auto& [source, bytes] : thumbnails_) PublishThumbnail(source, bytes);
  PublishTimestamp("time", server_time_);
  PublishTimestamp("dawn", dawn_);
  PublishTimestamp("dusk", dusk_);
  PublishControl("night", night_);
  PublishControl("pause", paused_);
  PublishControl("mute", muted_);
  CatchUp();
}

void cBridge::ScheduleAnnounce() {
  if (announce_timer_ != 0) return;
  announce_timer_ = loop_.StartTimer(kAnnounceDelayMs, [this] {
    loop_.StopTimer(announce_timer_);
    announce_timer_ = 0;
    Announce();
  });
}

void cBridge::Announce() {
  // Only a whole house is announced: an announcement made from lists still arriving would
  // take away every item not yet listed.
  if (lists_pending_ != 0 || !house_known_ || !broker_connected_) return;
  // This one covers whatever a pending announcement would have said.
  if (announce_timer_ != 0) {
    loop_.StopTimer(announce_timer_);
    announce_timer_ = 0;
  }
  DiscoveryRecord previous = LoadDiscoveryRecord(record_path_);
  if (!old_record_path_.empty()) {
    DiscoveryRecord old = LoadDiscoveryRecord(old_record_path_);
    previous.insert(previous.end(), std::make_move_iterator(old.begin()),
                    std::make_move_iterator(old.end()));
  }
  const std::vector<const BridgeItem*> items = house_.Items();
  Announcement announcement =
      hv::bridge::Announce(layout_, device_, items, discovery_options_, previous);
  DiscoveryRecord().swap(previous);
  // The new record waits on disk, not beside the messages, until the broker has them all.
  Status kept = WriteDiscoveryRecord(record_path_, announcement.record);
  std::string().swap(announcement.record);
  // The last record, read back to be compared, was thousands of small blocks; their pages go
  // back before the broker's library makes its copies of the new config, not after.
  malloc_trim(0);
  bool all_sent = true;
  for (DiscoveryMessage& message : announcement.messages) {
    // Made now, after the first config's text is freed, so the two are never held at once.
    if (message.follow_up)
      message.payload = DeviceConfig(layout_, device_, items, discovery_options_);
    std::unique_lock<std::mutex> hold;
    if (message.payload.size() > kLargeMessageBytes) {
      // The broker's library copies a message when it is published, and again into a packet
      // when its in-flight window has room: with ours, three copies of megabytes at once.
      // Held, with the window filled by a few of the house's states (published again if they
      // are all out), it keeps the config queued until ours is freed.
      hold = broker_->Hold();
      constexpr uint32_t kAhead = 2 * cMqttLink::kMaxInFlight;
      if (broker_->Unacknowledged() < kAhead && !publishing_all_) {
        publishing_all_ = true;
        published_up_to_.reset();
        KeepCatchingUp();
      }
      PublishHouseUpTo(kAhead);
    }
    all_sent = Publish(message.topic, message.payload, true) && all_sent;
    std::string().swap(message.payload);  // the broker's library holds its own copy now
  }
  // The record changes only once the broker has it all; otherwise the next announcement
  // takes away the same ghosts again.
  if (!all_sent) {
    DropDiscoveryRecord(record_path_);
    return;
  }
  if (kept.ok()) kept = CommitDiscoveryRecord(record_path_);
  if (!kept.ok()) Log("cannot keep the record of announced entities: " + kept.ToString());
  if (kept.ok()) {
    // The old identity's configs are gone from the broker with this announcement.
    if (!old_record_path_.empty()) std::remove(old_record_path_.c_str());
    old_record_path_.clear();
    WriteLastIdentity(last_identity_path_, device_.key);
  }
  const size_t entities = announcement.entities;
  // The announcement of a big house is megabytes that are not needed again until the next
  // one; give them back rather than keep them in the allocator's free lists.
  announcement = Announcement();
  malloc_trim(0);
  // The broker's library frees its own copies only as the broker acknowledges them, after
  // this; the tick gives those back too once the last is acknowledged.
  trim_when_acknowledged_ = true;
  Log("announced " + std::to_string(house_.Count()) + " items (" + std::to_string(entities) +
      " entities)");
}

}  // namespace hv::bridge
