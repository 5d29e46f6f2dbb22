// cMainWindowAnswerRelay: the connection's answer receiver for the whole run. The connection
// may exist before the main window (the automatic login) and outlive it, so answers go
// through this relay: Log items and Command responses to the application, everything else to
// the main window when there is one (dropped, status 1, when there is none). Server messages
// and programs to launch are the desktop's: the relay shows the box or starts the program
// itself, window or not.
#ifndef HV_CLIENT_SHELL_MAIN_WINDOW_ANSWER_RELAY_H_
#define HV_CLIENT_SHELL_MAIN_WINDOW_ANSWER_RELAY_H_

#include <cstdint>

#include "client/protocol/answer_receiver.h"
#include "client/protocol/answer_records.h"

namespace hv {

class CHouseDeskApp;

class cMainWindowAnswerRelay : public cAnswerReceiver {
 public:
  explicit cMainWindowAnswerRelay(CHouseDeskApp& app) : app_(app) {}
  ~cMainWindowAnswerRelay() override;
  cMainWindowAnswerRelay(const cMainWindowAnswerRelay&) = delete;
  cMainWindowAnswerRelay& operator=(const cMainWindowAnswerRelay&) = delete;

  [[nodiscard]] int32_t AddLogEntry(const LogItemRecord& entry) override;
  [[nodiscard]] int32_t AddSwitch(const SwitchRecord& record) override;
  [[nodiscard]] int32_t AddSensor(const SensorRecord& record) override;
  [[nodiscard]] int32_t AddMacro(const MacroRecord& record) override;
  [[nodiscard]] int32_t AddMode(const ModeRecord& record) override;
  [[nodiscard]] int32_t SetSwitchStatus(const StatusChangeRecord& record) override;
  [[nodiscard]] int32_t SetSensorStatus(const StatusChangeRecord& record) override;
  [[nodiscard]] int32_t SetMacroStatus(const MacroStatusRecord& record) override;
  [[nodiscard]] int32_t SetModeStatus(const ModeStatusRecord& record) override;
  [[nodiscard]] int32_t SetControlFileName(const swString& name) override;
  [[nodiscard]] int32_t SetClientQty(uint32_t quantity) override;
  [[nodiscard]] int32_t SetLightDark(uint16_t state) override;
  [[nodiscard]] int32_t SetPauseState(uint16_t state) override;
  [[nodiscard]] int32_t SetMuteState(uint16_t state) override;
  [[nodiscard]] int32_t UpdateServerTime(int32_t time) override;
  [[nodiscard]] int32_t SetDawnDusk(uint32_t dawn, uint32_t dusk) override;
  [[nodiscard]] int32_t AddVideoSource(const VideoSourceRecord& record) override;
  [[nodiscard]] int32_t AddThumbnail(const ThumbnailRecord& record,
                                     const ThumbnailPicture& picture) override;
  void ConnectionEnded() override;
  [[nodiscard]] int32_t CommandResponseStored(const swString& received_name,
                                              const char* stored_path) override;
  // A box without owner: the message may come before the main window exists. The box opens
  // from the event loop once the answers at hand are handled, and shows the latest message
  // with how many more came since the last box; those are in the activity log. Messages
  // that come while a box is open wait for the next one. Always 0.
  [[nodiscard]] int32_t ShowServerMessage(const ServerMessageRecord& record) override;
  // Starts the program through the shell. 0 once started; a program that cannot be started
  // is shown as an Error entry and declined (1).
  [[nodiscard]] int32_t LaunchProgram(const LaunchProgramRecord& record) override;

 private:
  void ShowGatheredMessages();
  void ShowServerMessageBox(const ServerMessageRecord& record, uint32_t more);

  CHouseDeskApp& app_;
  bool message_box_open_ = false;
  uint32_t box_timer_ = 0;  // the event loop's call to show them; 0 when none is due
  // What came since the last box: the latest message and how many in all.
  ServerMessageRecord latest_gathered_;
  uint32_t gathered_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_MAIN_WINDOW_ANSWER_RELAY_H_
