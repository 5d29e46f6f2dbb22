#include "client/shell/main_window_answer_relay.h"

#include "client/platform/event_loop.h"
#include "client/platform/shell.h"
#include "client/shell/app_main_frame.h"
#include "client/shell/app_main_window.h"
#include "client/shell/desktop_notices.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/tray_favourites.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "core/status.h"

namespace hv {

#define HV_RELAY(call)                        \
  cAppMainWindow* window = app_.MainWindow(); \
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

cMainWindowAnswerRelay::~cMainWindowAnswerRelay() {
  if (box_timer_ != 0) app_.EventLoop().StopTimer(box_timer_);
}

int32_t cMainWindowAnswerRelay::ShowServerMessage(const ServerMessageRecord& record) {
  // Every message goes by as a notice as it arrives; the box below gathers a flood.
  app_.DesktopNotices().ServerMessage(record);
  // The box is shown from the event loop, not from here: a box's wait inside the answer
  // handler would leave every message already read behind it for a box of its own, and a
  // server that sends a thousand would have the user close a thousand boxes. The message
  // a newer one replaces before its box opens is kept in the activity log.
  if (gathered_ > 0) {
    (void)app_.AddLogEntry(MakeClientEntry(kEntryUserMessage, 0, 0, latest_gathered_.caption.CStr(),
                                           latest_gathered_.text.CStr()),
                           true, true);
  }
  latest_gathered_ = record;
  ++gathered_;
  if (!message_box_open_ && box_timer_ == 0 && !app_.IsEnding()) {
    box_timer_ = app_.EventLoop().StartTimer(0, [this] { ShowGatheredMessages(); });
  }
  return hv::kOk;
}

void cMainWindowAnswerRelay::ShowGatheredMessages() {
  // Called from inside a wait of the socket, the box would stop the reading until it is
  // closed: the timer runs on and the box opens once the socket is free.
  if (app_.ConnectionBusy() && !app_.IsEnding()) return;
  app_.EventLoop().StopTimer(box_timer_);
  box_timer_ = 0;
  // The box's wait keeps the connection read: what comes meanwhile waits for the next box.
  message_box_open_ = true;
  while (gathered_ > 0 && !app_.IsEnding()) {
    const ServerMessageRecord latest = latest_gathered_;
    const uint32_t more = gathered_ - 1;
    gathered_ = 0;
    ShowServerMessageBox(latest, more);
  }
  message_box_open_ = false;
}

void cMainWindowAnswerRelay::ShowServerMessageBox(const ServerMessageRecord& record,
                                                  uint32_t more) {
  swString text = record.text;
  if (more > 0) {
    swString tail;
    tail.Format("\n\n(and %u more message%s; see the activity log)", more, more == 1 ? "" : "s");
    text.Append(tail);
  }
  app_.Toolkit().MessageBox().Show(
      text.CStr(), record.caption.CStr(),
      record.plain == 0 ? cMessageBoxIcon::kWarning : cMessageBoxIcon::kNone,
      cMessageBoxButtons::kOk, nullptr);
}

int32_t cMainWindowAnswerRelay::LaunchProgram(const LaunchProgramRecord& record) {
  const int32_t rc =
      app_.Shell().Execute(record.verb.CStr(), record.file.CStr(), record.parameters.CStr(),
                           record.directory.CStr(), static_cast<int32_t>(record.show_command));
  if (rc >= 0) return hv::kOk;
  // A program that cannot be started is the user's to know about, not a broken connection.
  swString text;
  if (rc == hv::kUnexpectedType) {
    text.Format("Cannot perform \"%s\" on %s", record.verb.CStr(), record.file.CStr());
  } else {
    text.Format("Unable to start %s", record.file.CStr());
  }
  ShowLogEntryOrDrop(app_, MakeClientError("Launch program", text.CStr()));
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
int32_t cMainWindowAnswerRelay::AddThumbnail(const ThumbnailRecord& r,
                                             const ThumbnailPicture& picture) {
  HV_RELAY(AddThumbnail(r, picture));
}

}  // namespace hv
