#include "tools/hvbridge/bridge_session.h"

#include <malloc.h>

#include <fstream>
#include <utility>
#include <variant>

#include "client/platform/clock.h"
#include "client/platform/event_loop.h"
#include "client/protocol/item_requests.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/video_requests.h"
#include "tools/hvbridge/bridge_publisher.h"
#include "tools/hvbridge/server_advice.h"

namespace hv::bridge {

namespace {

constexpr ItemKind kListedKinds[] = {ItemKind::kSwitch, ItemKind::kSensor, ItemKind::kMacro,
                                     ItemKind::kMode};
constexpr uint32_t kMaxThumbnailBytes = 16u << 20;
// How many commands wait for the server to be heard; a flood beyond this is not tracked.
constexpr size_t kMaxUnheardCommands = 1000;

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

// What a switch's or a sensor's status change carries.
void TakeStatusChange(BridgeItem& item, const StatusChangeRecord& change) {
  item.status = change.status;
  item.value_as_integer = change.value_as_integer;
  item.value = change.value;
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

// A picture gathered from several blocks is a temporary file that the next one overwrites.
// The buffer is as big as the file: a thumbnail is kilobytes.
bool ReadPicture(const ThumbnailPicture& picture, std::string* bytes) {
  if (picture.file == nullptr) {
    if (picture.size > kMaxThumbnailBytes) return false;
    bytes->assign(reinterpret_cast<const char*>(picture.bytes), picture.size);
    return true;
  }
  std::ifstream in(picture.file, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
  if (size < 0 || size > static_cast<std::streamoff>(kMaxThumbnailBytes)) return false;
  bytes->resize(static_cast<size_t>(size));
  in.seekg(0);
  in.read(bytes->data(), static_cast<std::streamsize>(bytes->size()));
  bytes->resize(static_cast<size_t>(in.gcount()));
  return true;
}

}  // namespace

cBridgeSession::cBridgeSession(cEventLoop& loop, cClock& clock, cHouseMirror& house,
                               cBridgePublisher& publisher, Setup setup)
    : loop_(loop),
      clock_(clock),
      house_(house),
      publisher_(publisher),
      setup_(std::move(setup)),
      context_(clock) {
  context_.SetPauseHook([this](uint32_t ms) { loop_.Pump(ms); });
  cSessionServices services;
  services.receiver = this;
  services.activity_log = this;
  services.event_loop = &loop_;
  // The bridge asks for no files; whatever a server sends anyway lands in a folder of its own,
  // apart from the bridge's state.
  services.data_folder = (setup_.state_folder + "/hvbridge-received").c_str();
  connection_ = std::make_unique<cServerConnection>(context_, services);
}

cBridgeSession::~cBridgeSession() = default;

void cBridgeSession::Start() {
  last_check_ = clock_.TickCount();
  ConnectServer();
}

void cBridgeSession::Stop() {
  if (connection_->IsConnected()) {
    connection_->Disconnect().Ignore("a server that is gone already needs no goodbye");
  }
  server_online_ = false;
  publisher_.SetServerOnline(false);
}

// --- The connection --------------------------------------------------------------------

void cBridgeSession::ConnectServer() {
  const BridgeOptions& o = *setup_.options;
  last_check_ = clock_.TickCount();
  const Status connected = connection_->Connect(o.server_host.c_str(), o.server_port,
                                                o.user.c_str(), setup_.password.c_str());
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

void cBridgeSession::RequestHouse() {
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

void cBridgeSession::Tick() {
  const uint32_t now = clock_.TickCount();
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

void cBridgeSession::ServerFrozen() {
  // A server that takes bytes but answers nothing (a stopped process, a computer asleep
  // behind a live router) is as good as gone.
  Log("the server has not answered for " +
      std::to_string((cServerWatch::kQuietMs + cServerWatch::kDeadlineMs) / 1000) +
      " s; connecting again");
  connection_->Disconnect().Ignore("the connection is being replaced either way");
  server_online_ = false;
  publisher_.SetServerOnline(false);
  for (const auto& [topic, blocks] : unheard_commands_) {
    publisher_.Refuse(topic,
                      "unavailable: the server stopped answering; the command may not have run");
  }
  unheard_commands_.clear();
  ServerLost();
}

void cBridgeSession::ServerLost() {
  if (retrying_) return;  // a try of the running series failed: the series goes on
  const uint32_t now = clock_.TickCount();
  reconnect_.ConnectionLost(now);
  retrying_ = true;
  last_check_ = now;
}

void cBridgeSession::ServerHeard() {
  if (server_online_) return;
  server_online_ = true;
  retrying_ = false;
  refused_logins_ = 0;
  reconnect_.Checked(clock_.TickCount(), true);
  const BridgeOptions& o = *setup_.options;
  Log("logged in to the server " + o.server_host + ":" + std::to_string(o.server_port) + " as " +
      o.user);
  publisher_.SetServerOnline(true);
}

void cBridgeSession::ConnectionEnded() {
  const std::string& user = setup_.options->user;
  if (connection_->LoginRefused()) {
    // A wrong password does not mend itself: the tries slow down instead of hammering the
    // server (and perhaps locking the account).
    refused_at_ = clock_.TickCount();
    const uint32_t delay = RefusedLoginDelayMs(++refused_logins_);
    // The connection's own entry has named the keys to check (ShowLogEntry).
    Log("the server turned the login of " + user + " down; trying again in " +
        std::to_string(delay / 1000) + " s, and less often while it is turned down");
  } else if (!connection_->HeardSinceLogin()) {
    Log("the server closed the connection of " + user + " at once; trying again");
  } else {
    Log("the server connection ended; trying again");
  }
  server_online_ = false;
  publisher_.SetServerOnline(false);
  ServerLost();
}

Status cBridgeSession::ShowLogEntry(const LogItemRecord& entry) {
  // The connection's hints point at the desktop's Setup dialog, which the bridge does not
  // have: they name the bridge's own file and key instead.
  const std::string message =
      WithBridgeAdvice(DisplayText(Bytes(entry.message), 1000), *setup_.options);
  Log(DisplayText(Bytes(entry.name), 200) + ": " + message);
  return Status::Ok();
}

Status cBridgeSession::AddLogEntry(const LogItemRecord& entry, bool, bool) {
  return ShowLogEntry(entry);
}

// --- Commands --------------------------------------------------------------------------

void cBridgeSession::Send(const BridgeCommand& command, const std::string& topic) {
  if (!connection_->IsConnected() || !server_online_) {
    publisher_.Refuse(topic, "unavailable: the server is away");
    return;
  }
  cRemoteClientSocket* s = connection_->Socket();
  const auto on = static_cast<uint16_t>(command.level);
  Status rc;
  switch (command.action) {
    case CommandAction::kX10:
      rc = SendX10Code(s, command.x10_house, command.x10_unit, command.x10_function,
                       command.x10_dim);
      break;
    case CommandAction::kPause: rc = SendSetPause(s, on); break;
    case CommandAction::kMute: rc = SendSetMute(s, on); break;
    case CommandAction::kNight: rc = SendSetLightDark(s, on); break;
    case CommandAction::kOn:
    case CommandAction::kOff:
    case CommandAction::kToggle:
    case CommandAction::kBrightness:
    case CommandAction::kStart:
    case CommandAction::kStop:
    case CommandAction::kActivate:
    case CommandAction::kDeactivate:
    case CommandAction::kSnap:
      rc = SendItemCommand(command, topic);
      if (rc.declined()) return;  // refused already
      break;
  }
  if (rc.failed()) {
    publisher_.Refuse(topic, "not sent: " + rc.ToString());
  } else if (unheard_commands_.size() < kMaxUnheardCommands) {
    unheard_commands_.emplace_back(topic, context_.BlocksReceived());
  }
}

Status cBridgeSession::SendItemCommand(const BridgeCommand& command, const std::string& topic) {
  const BridgeItem* item = house_.FindBySegment(command.kind, command.segment);
  const char* refusal = nullptr;
  if (item == nullptr) {
    refusal = "no such item";
  } else if (item->name.find('\0') != std::string::npos) {
    // Names go back byte for byte; a C string cannot carry a NUL, so such a name would
    // reach another item (or none).
    refusal = "the item's name holds a NUL byte and cannot be sent back to the server";
  } else if (command.action == CommandAction::kBrightness && !IsDimmer(*item)) {
    refusal = "only X10 switches take a brightness";
  }
  if (refusal != nullptr) {
    publisher_.Refuse(topic, refusal);
    return Status::Declined(Where::kBridge);
  }
  cRemoteClientSocket* s = connection_->Socket();
  const char* name = item->name.c_str();
  constexpr uint32_t kOn = 2, kOff = 3, kDim = 4;
  switch (command.action) {
    case CommandAction::kOn:
    case CommandAction::kOff: {
      const uint32_t status = command.action == CommandAction::kOn ? kOn : kOff;
      return item->kind == ItemKind::kSensor ? SendSetSensorStatus(s, name, status, 0, 0, 0.0)
                                             : SendSetSwitchStatus(s, name, status, 0, 0, 0.0);
    }
    case CommandAction::kToggle:
      return SendSetSwitchStatus(s, name, IsOn(*item) ? kOff : kOn, 0, 0, 0.0);
    case CommandAction::kBrightness:
      return command.level == 0
                 ? SendSetSwitchStatus(s, name, kOff, 0, 0, 0.0)
                 : SendSetSwitchStatus(s, name, kDim, static_cast<uint32_t>(command.level), 0,
                                       static_cast<double>(command.level));
    case CommandAction::kStart: return SendSetMacroStatus(s, name, 3);
    case CommandAction::kStop: return SendSetMacroStatus(s, name, 2);
    case CommandAction::kActivate: return SendSetModeStatus(s, name, 1);
    case CommandAction::kDeactivate: return SendSetModeStatus(s, name, 0);
    case CommandAction::kSnap: return SendSnapPicture(s, name);
    case CommandAction::kX10:
    case CommandAction::kPause:
    case CommandAction::kMute:
    case CommandAction::kNight: break;
  }
  return Status::Ok();
}

// --- Answers ---------------------------------------------------------------------------

Status cBridgeSession::Receive(const Answer& answer) {
  auto control = [this](HouseControl which, bool on) {
    ServerHeard();
    publisher_.SetControl(which, on);
    return Status::Ok();
  };
  return std::visit(
      AnswerVisitor{
          [this](const LogItemRecord& r) { return AddLogEntry(r); },
          [this](const SwitchRecord& r) { return StageItem(ItemKind::kSwitch, ItemOf(r)); },
          [this](const SensorItemRecord& r) { return StageItem(ItemKind::kSensor, ItemOf(r)); },
          [this](const MacroRecord& r) {
            return StageItem(ItemKind::kMacro, NamedItem(r.name, r.description, r.status));
          },
          [this](const ModeRecord& r) {
            return StageItem(ItemKind::kMode, NamedItem(r.name, r.description, r.state));
          },
          [this](const SwitchStatusRecord& r) { return SetSwitchStatus(r); },
          [this](const SensorStatusRecord& r) { return SetSensorStatus(r); },
          [this](const MacroStatusRecord& r) { return SetMacroStatus(r); },
          [this](const ModeStatusRecord& r) { return SetModeStatus(r); },
          [this](const ControlFileNameRecord& r) { return SetControlFileName(r.name); },
          [this](const ServerTimeRecord& r) { return UpdateServerTime(r.seconds); },
          [this](const DawnDuskRecord& r) {
            ServerHeard();
            publisher_.SetDawnDusk(r.dawn, r.dusk);
            return Status::Ok();
          },
          [&](const LightDarkRecord& r) { return control(HouseControl::kNight, r.dark != 0); },
          [&](const PauseStateRecord& r) { return control(HouseControl::kPause, r.paused != 0); },
          [&](const MuteStateRecord& r) { return control(HouseControl::kMute, r.muted != 0); },
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

Status cBridgeSession::AddLogEntry(const LogItemRecord& entry) {
  ServerHeard();
  return publisher_.PublishLogEntry(entry);
}

Status cBridgeSession::SetControlFileName(const swString& name) {
  ServerHeard();
  std::string house = BaseName(Bytes(name));
  if (house.empty()) house = "house";
  setup_.house_named(house);
  return Status::Ok();
}

Status cBridgeSession::StageItem(ItemKind kind, BridgeItem item) {
  ServerHeard();
  if (item.name.empty()) {
    house_.EndList(kind);
    ListEnded(kind);
    return Status::Ok();
  }
  item.kind = kind;
  const Status staged = house_.Stage(std::move(item));
  if (!staged.ok() && ++refused_items_ <= 10) {
    Log(std::string("a ") + KindName(kind) + " was left out: " + staged.message());
  }
  return Status::Ok();
}

void cBridgeSession::ListEnded(ItemKind kind) {
  lists_pending_ &= ~Bit(kind);
  // The house goes out whole: states published list by list would miss a broker that
  // connects between two lists (it is told everything when it connects, but only of a
  // whole house).
  if (lists_pending_ == 0) {
    // The lists arrived into trees of small blocks, now given back; their pages go back too
    // before the announcement needs megabytes of its own.
    malloc_trim(0);
    publisher_.PublishAll();
    setup_.house_changed();
  }
}

Status cBridgeSession::AddVideoSource(const VideoSourceRecord& r) {
  ServerHeard();
  if (r.name.GetLength() == 0 || !cameras_staging_) return Status::Declined(Where::kBridge);
  BridgeItem item;
  item.kind = ItemKind::kCamera;
  item.name = Bytes(r.name);
  item.type = r.source_number;
  const Status staged = house_.Stage(std::move(item));
  if (!staged.ok()) Log("a camera was left out: " + staged.message());
  return Status::Ok();
}

Status cBridgeSession::AddThumbnail(const ThumbnailRecord& record,
                                    const ThumbnailPicture& picture) {
  ServerHeard();
  const std::string camera = Bytes(record.source_name);
  if (house_.Find(ItemKind::kCamera, camera) == nullptr &&
      house_.FindStaged(ItemKind::kCamera, camera) == nullptr) {
    return Status::Declined(Where::kBridge);
  }
  std::string bytes;
  if (!ReadPicture(picture, &bytes)) return Status::Declined(Where::kBridge);
  publisher_.SetThumbnail(camera, std::move(bytes));
  return Status::Ok();
}

Status cBridgeSession::UpdateServerTime(int32_t seconds) {
  ServerHeard();
  // Dawn and dusk hold for one day: a new day at the server asks for them again.
  if (dawn_dusk_asked_ < 0) {
    dawn_dusk_asked_ = seconds;
  } else if (seconds > 0 && AnotherDay(dawn_dusk_asked_, seconds) &&
             SendGetDawnDusk(connection_->Socket()).ok()) {
    dawn_dusk_asked_ = seconds;
  }
  // Video sources have no end of list; the server answers in the order it was asked, and the
  // server time was asked after them, so its answer closes their list.
  if (cameras_staging_) {
    house_.EndList(ItemKind::kCamera);
    cameras_staging_ = false;
    publisher_.ForgetRemovedCameras();
    ListEnded(ItemKind::kCamera);
  }
  publisher_.SetServerTime(seconds);
  return Status::Ok();
}

// --- Status changes --------------------------------------------------------------------

template <typename Update>
Status cBridgeSession::ChangeItem(ItemKind kind, const swString& name, Update update) {
  ServerHeard();
  const std::string key = Bytes(name);
  if (BridgeItem* staged = house_.FindStaged(kind, key)) update(*staged, false);
  if (BridgeItem* item = house_.Find(kind, key)) update(*item, true);
  return Status::Ok();
}

Status cBridgeSession::SetSwitchStatus(const StatusChangeRecord& r) {
  return ChangeItem(ItemKind::kSwitch, r.name, [&](BridgeItem& item, bool listed) {
    TakeStatusChange(item, r);
    if (listed) publisher_.PublishItem(item);
  });
}

Status cBridgeSession::SetSensorStatus(const StatusChangeRecord& r) {
  return ChangeItem(ItemKind::kSensor, r.name, [&](BridgeItem& item, bool listed) {
    const SensorClass before = ClassOf(item);
    TakeStatusChange(item, r);
    if (!listed) return;
    publisher_.PublishItem(item);
    // A sensor that turns out to be another kind (its first status was a plain Off) is
    // announced again as what it is.
    if (ClassOf(item) != before && ClassOf(item) != SensorClass::kOther) setup_.house_changed();
  });
}

Status cBridgeSession::SetMacroStatus(const MacroStatusRecord& r) {
  return ChangeItem(ItemKind::kMacro, r.name, [&](BridgeItem& item, bool listed) {
    const bool was_running = IsOn(item);
    item.status = r.status;
    if (!listed) return;
    publisher_.PublishItem(item);
    if (was_running != IsOn(item)) publisher_.PublishMacroEvent(item);
  });
}

Status cBridgeSession::SetModeStatus(const ModeStatusRecord& r) {
  return ChangeItem(ItemKind::kMode, r.name, [&](BridgeItem& item, bool listed) {
    item.status = r.state;
    if (listed) publisher_.PublishItem(item);
  });
}

}  // namespace hv::bridge
