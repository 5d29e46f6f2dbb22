// cBridge: the house on the broker. It logs in to the server as the desktop client does
// (the same protocol library, the same requests after a login, the same quick tries after a
// loss: 2, 5, 10, 30 and 60 s, then the two-minute check), mirrors every list, and keeps the
// broker told: availability, Home Assistant discovery, retained states and attributes, the
// activity log as a stream, the server's facts and the cameras' thumbnails. Commands from
// the broker are checked and sent to the server; while the server is away they are answered
// "unavailable" on the errors topic and never queued, and a retained command is never run.
// A server that stops answering is found by cServerWatch within half a minute.
//
// Everything runs on the event loop's thread; the broker's network thread only hands over.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "client/protocol/activity_log.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/reconnect_schedule.h"
#include "client/protocol/server_connection.h"
#include "tools/hvbridge/bridge_command.h"
#include "tools/hvbridge/bridge_options.h"
#include "tools/hvbridge/discovery.h"
#include "tools/hvbridge/house_mirror.h"
#include "tools/hvbridge/mqtt_link.h"
#include "tools/hvbridge/refusal_log.h"
#include "tools/hvbridge/server_watch.h"
#include "tools/hvbridge/topic_layout.h"

namespace hv {
class cClock;
class cEventLoop;
}  // namespace hv

namespace hv::bridge {

struct BridgeSetup {
  BridgeOptions options;
  std::string server_password;
  std::string broker_password;
  std::string state_folder;  // the discovery records and the last identity
  std::string version;
  // Lines for people (the journal); the program writes them to standard error.
  std::function<void(const std::string&)> log;
};

class cBridge : public cAnswerReceiver, public cActivityLog {
 public:
  // The try after the quick tries of a loss (cReconnectSchedule) have all failed.
  static constexpr uint32_t kCheckPeriodMs = 120000;
  // The server time is asked this often even from a busy server, so the day's change (and
  // with it dawn and dusk) is seen.
  static constexpr uint32_t kTimePeriodMs = 600000;

  // loop and clock must outlive the bridge.
  cBridge(cEventLoop& loop, cClock& clock, BridgeSetup setup);
  ~cBridge() override;
  cBridge(const cBridge&) = delete;
  cBridge& operator=(const cBridge&) = delete;

  // Logs in to the server (and keeps trying); the broker follows once the house is known.
  void Start();
  // Logs off, says "offline" on the broker and stops its thread.
  void Stop();

  // cAnswerReceiver: each answer to its own handler below; those of no interest to the
  // broker are declined.
  [[nodiscard]] hv::Status Receive(const Answer& answer) override;

  // cActivityLog: the connection's own entries ("Connection terminated") go to the log.
  hv::Status ShowLogEntry(const LogItemRecord& entry) override;
  hv::Status AddLogEntry(const LogItemRecord& entry, bool store, bool show) override;

 private:
  hv::Status AddLogEntry(const LogItemRecord& entry);
  hv::Status AddSwitch(const SwitchRecord& record);
  hv::Status AddSensor(const SensorRecord& record);
  hv::Status AddMacro(const MacroRecord& record);
  hv::Status AddMode(const ModeRecord& record);
  hv::Status SetSwitchStatus(const StatusChangeRecord& record);
  hv::Status SetSensorStatus(const StatusChangeRecord& record);
  hv::Status SetMacroStatus(const MacroStatusRecord& record);
  hv::Status SetModeStatus(const ModeStatusRecord& record);
  hv::Status SetControlFileName(const swString& name);
  hv::Status UpdateServerTime(int32_t seconds);
  hv::Status SetDawnDusk(uint32_t dawn, uint32_t dusk);
  // The house's own controls: night, pause, mute (as the desktop window's boxes show them).
  hv::Status SetControl(const char* control, std::optional<bool>* kept, bool on);
  void PublishControl(const char* control, const std::optional<bool>& state);
  hv::Status AddVideoSource(const VideoSourceRecord& record);
  hv::Status AddThumbnail(const ThumbnailRecord& record, const ThumbnailPicture& picture);
  // A status change of the named item: the server is heard, and update(item, listed) runs on
  // every copy of it (the listed one and one still arriving).
  template <typename Update>
  hv::Status ChangeItem(ItemKind kind, const swString& name, Update update);
  void ConnectionEnded();

  void Log(const std::string& line) const;
  void Tick();
  void ConnectServer();
  void ServerLost();
  void ServerHeard();
  // The server stopped answering: the connection is dropped, and the commands sent since
  // it was last heard are answered on the errors topic.
  void ServerFrozen();
  void RequestHouse();
  // The house is known (--house, or the server's control file): keys, topics, the broker.
  void Identify(const std::string& house);
  void StartBroker();
  void BrokerConnected();
  void BrokerMessage(const std::string& topic, const std::string& payload, bool retained);
  void Command(const BridgeCommand& command, const std::string& topic);
  void Refuse(const std::string& topic, const std::string& why);

  hv::Status StageItem(ItemKind kind, BridgeItem item);
  // The server ended the list of `kind`; once every list of the login has ended, the house
  // is published and announced.
  void ListEnded(ItemKind kind);
  void ScheduleAnnounce();
  void Announce();
  void PublishItem(const BridgeItem& item);
  void PublishAll();
  // Publishes the items marked while the broker was behind, and the rest of the house while
  // it is published whole, as far as the broker keeps up.
  void CatchUp();
  void KeepCatchingUp();
  // Publishes the house's next items, while it is published whole, until this many messages
  // wait for the broker.
  void PublishHouseUpTo(uint32_t unacknowledged);
  void PublishServerAvailability();
  void PublishThumbnail(const std::string& source, const std::string& bytes);
  void PublishTimestamp(const char* fact, int64_t seconds);
  bool Publish(const std::string& topic, std::string_view payload, bool retain);

  cEventLoop& loop_;
  cClock& clock_;
  BridgeSetup setup_;
  cProtocolContext context_;
  std::unique_ptr<cServerConnection> connection_;
  std::unique_ptr<cMqttLink> broker_;
  cHouseMirror house_;
  TopicLayout layout_;
  HouseDevice device_;
  DiscoveryOptions discovery_options_;
  std::string record_path_;
  // The record of the identity this start of the bridge had before, when it changed; its
  // configs go with the next announcement.
  std::string old_record_path_;
  std::string last_identity_path_;
  std::string client_id_;
  bool house_known_ = false;
  bool server_online_ = false;
  bool broker_connected_ = false;
  cEventLoop::TimerId tick_timer_ = 0;
  cEventLoop::TimerId announce_timer_ = 0;
  // The server connection's schedule: the quick tries after a loss, the last check, and
  // whether a series of tries runs (until the server is heard again).
  cReconnectSchedule reconnect_;
  uint32_t last_check_ = 0;
  bool retrying_ = false;
  cServerWatch watch_;
  uint32_t time_asked_at_ = 0;
  // The server time when dawn and dusk were last asked for; -1 asked at the login.
  int64_t dawn_dusk_asked_ = 0;
  // Commands sent, with the count of blocks received when they went, until the server is
  // heard after them.
  std::vector<std::pair<std::string, uint32_t>> unheard_commands_;
  // Logins turned down in a row, and when the last was.
  uint32_t refused_logins_ = 0;
  uint32_t refused_at_ = 0;
  cRefusalLog refusals_;
  std::optional<bool> night_;
  std::optional<bool> paused_;
  std::optional<bool> muted_;
  // Cameras have no end of list: the ones listed since the login replace the old ones when
  // the server time, asked after them, is answered.
  bool cameras_staging_ = false;
  uint32_t refused_items_ = 0;
  int64_t server_time_ = 0;
  std::map<std::string, std::string> thumbnails_;      // camera name -> its latest picture
  std::set<std::pair<ItemKind, std::string>> behind_;  // (kind, name) not yet published
  cEventLoop::TimerId catch_up_timer_ = 0;
  // The house is being published whole, in the mirror's order; the last item published.
  bool publishing_all_ = false;
  std::optional<std::pair<ItemKind, std::string>> published_up_to_;
  int64_t dawn_ = 0;
  int64_t dusk_ = 0;
  uint32_t lists_pending_ = 0;
  uint64_t dropped_log_entries_ = 0;
  bool trim_when_acknowledged_ = false;  // an announcement's copies are still at the broker
  std::string item_topic_;               // PublishItem's topics, built in place
  std::string log_topic_;                // the log stream's, made once
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_H_
