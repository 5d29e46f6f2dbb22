#include "client/shell/main_window_answer_relay.h"

#include "client/platform/shell.h"
#include "client/shell/app_main_frame.h"
#include "client/shell/app_main_window.h"
#include "client/shell/desktop_notices.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/tray_favourites.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "core/status.h"

#define HV_RELAY(call)                                   \
  cAppMainWindow* window = app_.MainWindow();            \
  return window != nullptr ? window->call : hv::kDeclined

int32_t cMainWindowAnswerRelay::AddLogEntry(const LogItemRecord& entry) {
  return app_.AddServerLogItem(entry);
}

int32_t cMainWindowAnswerRelay::CommandResponseStored(const swString& received_name,
                                                      const char* stored_path) {
  // A failure to place it is the user's business (an Error entry), not the connection's.
  int32_t rc = app_.StoreCommandResponse(received_name, stored_path);
  return rc < 0 ? hv::kDeclined : rc;
}

void cMainWindowAnswerRelay::ConnectionEnded() {
  if (cAppMainWindow* window = app_.MainWindow()) window->ConnectionEnded();
  if (cAppMainFrame* frame = app_.MainFrame()) frame->ConnectionLost();
}

int32_t cMainWindowAnswerRelay::ShowServerMessage(const ServerMessageRecord& record) {
  // The box stays: a notice goes by, and the message must not be missed.
  app_.DesktopNotices().ServerMessage(record);
  app_.Toolkit().MessageBox().Show(record.text.CStr(), record.caption.CStr(),
                                   record.plain == 0 ? cMessageBoxIcon::kWarning
                                                     : cMessageBoxIcon::kNone,
                                   cMessageBoxButtons::kOk, nullptr);
  return hv::kOk;
}

int32_t cMainWindowAnswerRelay::LaunchProgram(const LaunchProgramRecord& record) {
  const int32_t rc = app_.Shell().Execute(record.verb.CStr(), record.file.CStr(),
                                          record.parameters.CStr(), record.directory.CStr(),
                                          static_cast<int32_t>(record.show_command));
  if (rc >= 0) return hv::kOk;
  // A program that cannot be started is the user's to know about, not a broken connection.
  swString text;
  if (rc == hv::kUnexpectedType) {
    text.Format("Cannot perform \"%s\" on %s", record.verb.CStr(), record.file.CStr());
  } else {
    text.Format("Unable to start %s", record.file.CStr());
  }
  app_.ShowLogEntry(MakeClientError("Launch program", text.CStr()));
  return hv::kDeclined;
}

// The tray favourites hear every switch and macro status, window or not.
int32_t cMainWindowAnswerRelay::AddSwitch(const SwitchRecord& r) {
  if (r.name.GetLength() != 0) app_.Favourites().SwitchStatus(r.name, r.status);
  HV_RELAY(AddSwitch(r));
}
int32_t cMainWindowAnswerRelay::AddSensor(const SensorRecord& r) { HV_RELAY(AddSensor(r)); }
int32_t cMainWindowAnswerRelay::AddMacro(const MacroRecord& r) {
  if (r.name.GetLength() != 0) app_.Favourites().MacroStatus(r.name, r.status);
  HV_RELAY(AddMacro(r));
}
int32_t cMainWindowAnswerRelay::AddMode(const ModeRecord& r) { HV_RELAY(AddMode(r)); }
int32_t cMainWindowAnswerRelay::SetSwitchStatus(const StatusChangeRecord& r) {
  app_.Favourites().SwitchStatus(r.name, r.status);
  HV_RELAY(SetSwitchStatus(r));
}
int32_t cMainWindowAnswerRelay::SetSensorStatus(const StatusChangeRecord& r) {
  app_.DesktopNotices().SensorChanged(r);
  HV_RELAY(SetSensorStatus(r));
}
int32_t cMainWindowAnswerRelay::SetMacroStatus(const MacroStatusRecord& r) {
  app_.Favourites().MacroStatus(r.name, r.status);
  HV_RELAY(SetMacroStatus(r));
}
int32_t cMainWindowAnswerRelay::SetModeStatus(const ModeStatusRecord& r) {
  HV_RELAY(SetModeStatus(r));
}
int32_t cMainWindowAnswerRelay::SetControlFileName(const swString& name) {
  HV_RELAY(SetControlFileName(name));
}
int32_t cMainWindowAnswerRelay::SetClientQty(uint32_t n) { HV_RELAY(SetClientQty(n)); }
int32_t cMainWindowAnswerRelay::SetLightDark(uint16_t s) { HV_RELAY(SetLightDark(s)); }
int32_t cMainWindowAnswerRelay::SetPauseState(uint16_t s) { HV_RELAY(SetPauseState(s)); }
int32_t cMainWindowAnswerRelay::SetMuteState(uint16_t s) { HV_RELAY(SetMuteState(s)); }
int32_t cMainWindowAnswerRelay::UpdateServerTime(int32_t t) { HV_RELAY(UpdateServerTime(t)); }
int32_t cMainWindowAnswerRelay::SetDawnDusk(uint32_t dawn, uint32_t dusk) {
  HV_RELAY(SetDawnDusk(dawn, dusk));
}
int32_t cMainWindowAnswerRelay::AddVideoSource(const VideoSourceRecord& r) {
  HV_RELAY(AddVideoSource(r));
}
int32_t cMainWindowAnswerRelay::AddThumbnail(const ThumbnailRecord& r, const char* file) {
  HV_RELAY(AddThumbnail(r, file));
}
