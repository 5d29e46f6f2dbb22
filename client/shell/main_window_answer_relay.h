// cMainWindowAnswerRelay: the connection's answer receiver for the whole run. The connection
// may exist before the main window (the automatic login) and outlive it, so answers go
// through this relay: Log items and Command responses to the application, everything else to
// the main window when there is one (dropped, status 1, when there is none). Server messages
// and programs to launch are the desktop's: the relay shows the box or starts the program
// itself, window or not.
#ifndef HV_CLIENT_SHELL_MAIN_WINDOW_ANSWER_RELAY_H_
#define HV_CLIENT_SHELL_MAIN_WINDOW_ANSWER_RELAY_H_

#include "client/protocol/answer_receiver.h"

class CHouseDeskApp;

class cMainWindowAnswerRelay : public cAnswerReceiver {
 public:
  explicit cMainWindowAnswerRelay(CHouseDeskApp& app) : app_(app) {}

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
                                     const char* picture_file) override;
  void ConnectionEnded() override;
  [[nodiscard]] int32_t CommandResponseStored(const swString& received_name,
                                              const char* stored_path) override;
  // A box without owner: the message may come before the main window exists. Always 0.
  [[nodiscard]] int32_t ShowServerMessage(const ServerMessageRecord& record) override;
  // Starts the program through the shell. 0 once started; a program that cannot be started
  // is shown as an Error entry and declined (1).
  [[nodiscard]] int32_t LaunchProgram(const LaunchProgramRecord& record) override;

 private:
  CHouseDeskApp& app_;
};

#endif  // HV_CLIENT_SHELL_MAIN_WINDOW_ANSWER_RELAY_H_
