// cBridgeSession: the bridge's connection to the house's server. It logs in as the desktop
// client does (the same protocol library, the same requests after a login, the same quick
// tries after a loss: 2, 5, 10, 30 and 60 s, then the two-minute check), keeps the mirror of
// the house up to date from the answers and hands every change to the publisher. A server
// that stops answering is found by cServerWatch within half a minute; commands sent to it
// meanwhile are answered on the errors topic.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_SESSION_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_SESSION_H_

#include <cstdint>
#include <functional>
#include <memory>
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
#include "tools/hvbridge/house_mirror.h"
#include "tools/hvbridge/server_watch.h"

namespace hv {
class cClock;
class cEventLoop;
}  // namespace hv

namespace hv::bridge {

class cBridgePublisher;

class cBridgeSession : public cAnswerReceiver, public cActivityLog {
 public:
  // The try after the quick tries of a loss (cReconnectSchedule) have all failed.
  static constexpr uint32_t kCheckPeriodMs = 120000;
  // The server time is asked this often even from a busy server, so the day's change (and
  // with it dawn and dusk) is seen.
  static constexpr uint32_t kTimePeriodMs = 600000;

  struct Setup {
    const BridgeOptions* options = nullptr;
    std::string password;
    std::string state_folder;
    std::function<void(const std::string&)> log;
    // The server named its house (its control file, without folder and extension).
    std::function<void(const std::string& house)> house_named;
    // The house's items changed in a way its discovery shows: it is to be announced again.
    std::function<void()> house_changed;
  };

  // All must outlive the session.
  cBridgeSession(cEventLoop& loop, cClock& clock, cHouseMirror& house, cBridgePublisher& publisher,
                 Setup setup);
  ~cBridgeSession() override;
  cBridgeSession(const cBridgeSession&) = delete;
  cBridgeSession& operator=(const cBridgeSession&) = delete;

  // Connects and logs in (the tries go on in Tick).
  void Start();
  // Logs off.
  void Stop();
  // Every half second: the next try while away, the server watch while connected.
  void Tick();

  // The server is logged in to and has been heard since.
  bool Online() const { return server_online_; }
  // Every list of the login has ended.
  bool HouseListed() const { return lists_pending_ == 0; }
  // A command from the broker, checked already, to the server; refused (on the errors topic)
  // when it cannot be sent.
  void Send(const BridgeCommand& command, const std::string& topic);

  // cAnswerReceiver: each answer to its own handler below; those of no interest to the
  // broker are declined.
  [[nodiscard]] Status Receive(const Answer& answer) override;
  // cActivityLog: the connection's own entries ("Connection terminated") go to the log.
  Status ShowLogEntry(const LogItemRecord& entry) override;
  Status AddLogEntry(const LogItemRecord& entry, bool store, bool show) override;

 private:
  void Log(const std::string& line) const { setup_.log(line); }
  void ConnectServer();
  void RequestHouse();
  void ServerLost();
  void ServerHeard();
  // The server stopped answering: the connection is dropped, and the commands sent since
  // it was last heard are answered on the errors topic.
  void ServerFrozen();
  void ConnectionEnded();
  // The item's server request for a command; the topic is refused when there is none.
  Status SendItemCommand(const BridgeCommand& command, const std::string& topic);

  Status AddLogEntry(const LogItemRecord& entry);
  Status StageItem(ItemKind kind, BridgeItem item);
  // The server ended the list of `kind`; once every list of the login has ended, the house
  // is published and announced.
  void ListEnded(ItemKind kind);
  Status SetSwitchStatus(const StatusChangeRecord& record);
  Status SetSensorStatus(const StatusChangeRecord& record);
  Status SetMacroStatus(const MacroStatusRecord& record);
  Status SetModeStatus(const ModeStatusRecord& record);
  // A status change of the named item: the server is heard, and update(item, listed) runs on
  // every copy of it (the listed one and one still arriving).
  template <typename Update>
  Status ChangeItem(ItemKind kind, const swString& name, Update update);
  Status SetControlFileName(const swString& name);
  Status UpdateServerTime(int32_t seconds);
  Status AddVideoSource(const VideoSourceRecord& record);
  Status AddThumbnail(const ThumbnailRecord& record, const ThumbnailPicture& picture);

  cEventLoop& loop_;
  cClock& clock_;
  cHouseMirror& house_;
  cBridgePublisher& publisher_;
  Setup setup_;
  cProtocolContext context_;
  std::unique_ptr<cServerConnection> connection_;
  bool server_online_ = false;
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
  uint32_t lists_pending_ = 0;
  // Cameras have no end of list: the ones listed since the login replace the old ones when
  // the server time, asked after them, is answered.
  bool cameras_staging_ = false;
  uint32_t refused_items_ = 0;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_SESSION_H_
