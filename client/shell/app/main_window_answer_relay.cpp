#include "client/shell/app/main_window_answer_relay.h"

#include <variant>

#include "client/history/house_event_observer.h"
#include "client/platform/event_loop.h"
#include "client/platform/shell.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/server_connection.h"
#include "client/shell/app/app_main_frame.h"
#include "client/shell/app/app_main_window.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/login_refused_box.h"
#include "client/shell/tray/desktop_notices.h"
#include "client/shell/tray/tray_favourites.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "client/views/history/history_desk.h"
#include "core/status.h"

namespace hv {

hv::history::HouseEventObserver* cMainWindowAnswerRelay::History() {
  if (history_ != nullptr && connection_->Logins() != history_login_) {
    history_login_ = connection_->Logins();
    const cClientSettings& settings = *services_.settings;
    history_->ConnectionStarted(
        hv::history::HouseKey(settings.address.CStr(), static_cast<int32_t>(settings.port)));
  }
  return history_;
}

Status cMainWindowAnswerRelay::Receive(const Answer& answer) {
  TellHistory(answer);
  TellDesktop(answer);
  return std::visit(
      AnswerVisitor{
          [this](const LogItemRecord& r) { return services_.commands->AddServerLogItem(r); },
          [this](const CommandResponseStoredRecord& r) {
            // A failure to place it is the user's business (an Error entry), not the
            // connection's.
            Status placed =
                services_.commands->StoreCommandResponse(r.received_name, r.stored_path.c_str());
            return placed.failed() ? Status::Declined(Where::kUi) : placed;
          },
          [this](const ServerMessageRecord& r) { return ShowServerMessage(r); },
          [this](const LaunchProgramRecord& r) { return LaunchProgram(r); },
          [this](const ConnectionEndedRecord&) {
            ConnectionEnded();
            return Status::Ok();
          },
          AnswerKinds<SwitchRecord, SensorItemRecord, MacroRecord, ModeRecord, SwitchStatusRecord,
                      SensorStatusRecord, MacroStatusRecord, ModeStatusRecord,
                      ControlFileNameRecord, ClientQtyRecord, LightDarkRecord, PauseStateRecord,
                      MuteStateRecord, ServerTimeRecord, DawnDuskRecord, VideoSourceRecord,
                      ThumbnailAnswer>([this, &answer](const auto&) { return ToWindow(answer); }),
      },
      answer);
}

void cMainWindowAnswerRelay::TellHistory(const Answer& answer) {
  if (history_ != nullptr) History()->AnswerReceived(answer);
}

void cMainWindowAnswerRelay::TellDesktop(const Answer& answer) {
  // An item's name is empty only at the end of its list, which is no item of the tray.
  std::visit(
      AnswerVisitor{
          [this](const SwitchRecord& r) {
            if (r.name.GetLength() != 0) services_.favourites->SwitchStatus(r.name, r.status);
          },
          [this](const MacroRecord& r) {
            if (r.name.GetLength() != 0) services_.favourites->MacroStatus(r.name, r.status);
          },
          [this](const SwitchStatusRecord& r) {
            services_.favourites->SwitchStatus(r.name, r.status);
          },
          [this](const MacroStatusRecord& r) {
            services_.favourites->MacroStatus(r.name, r.status);
          },
          [this](const SensorStatusRecord& r) { services_.notices->SensorChanged(r); },
          // The tray's favourites and notices follow switches, macros and sensor
          // changes only.
          AnswerKinds<LogItemRecord, SensorItemRecord, ModeRecord, ModeStatusRecord,
                      ControlFileNameRecord, ClientQtyRecord, LightDarkRecord, PauseStateRecord,
                      MuteStateRecord, ServerTimeRecord, DawnDuskRecord, VideoSourceRecord,
                      ThumbnailAnswer, ServerMessageRecord, LaunchProgramRecord,
                      CommandResponseStoredRecord, ConnectionEndedRecord>([](const auto&) {}),
      },
      answer);
}

Status cMainWindowAnswerRelay::ToWindow(const Answer& answer) {
  cAppMainWindow* window = services_.commands->MainWindow();
  return window != nullptr ? window->Answers().Receive(answer) : Status::Declined(Where::kUi);
}

cMainWindowAnswerRelay::cMainWindowAnswerRelay(const cAnswerRelayServices& services)
    : services_(services),
      login_refused_(std::make_unique<hv::cLoginRefusedBox>(hv::cLoginRefusedServices{
          .toolkit = services.toolkit,
          .event_loop = services.event_loop,
          .connection_busy = [commands = services.commands] { return commands->ConnectionBusy(); },
          .ending = [commands = services.commands] { return commands->IsEnding(); },
          .open_setup =
              [commands = services.commands] {
                commands->OpenMainWindow().Ignore(
                    "a window that cannot be made has no setup to open; the tray's Open tries "
                    "again");
                if (cAppMainWindow* window = commands->MainWindow()) window->OpenSetup();
              }})) {}

void cMainWindowAnswerRelay::ConnectionEnded() {
  if (history_ != nullptr) history_->ConnectionEnded();
  ToWindow(ConnectionEndedRecord{})
      .Ignore("the window shows what it can of an ended connection; nothing to undo");
  if (cAppMainFrame* frame = services_.commands->MainFrame()) frame->ConnectionLost();
  login_refused_->ConnectionEnded(connection_->LoginRefused());
}

cMainWindowAnswerRelay::~cMainWindowAnswerRelay() {
  if (box_timer_ != 0) services_.event_loop->StopTimer(box_timer_);
}

Status cMainWindowAnswerRelay::ShowServerMessage(const ServerMessageRecord& record) {
  // Every message goes by as a notice as it arrives; the box below gathers a flood.
  services_.notices->ServerMessage(record);
  // The box is shown from the event loop, not from here: a box's wait inside the answer
  // handler would leave every message already read behind it for a box of its own, and a
  // server that sends a thousand would have the user close a thousand boxes. The message
  // a newer one replaces before its box opens is kept in the activity log.
  if (gathered_ > 0) {
    AddLogEntryOrDrop(*services_.log,
                      MakeClientEntry(kEntryUserMessage, 0, 0, latest_gathered_.caption.CStr(),
                                      latest_gathered_.text.CStr()),
                      true, true);
  }
  latest_gathered_ = record;
  ++gathered_;
  if (!message_box_open_ && box_timer_ == 0 && !services_.commands->IsEnding()) {
    box_timer_ = services_.event_loop->StartTimer(0, [this] { ShowGatheredMessages(); });
  }
  return Status::Ok();
}

void cMainWindowAnswerRelay::ShowGatheredMessages() {
  // Called from inside a wait of the socket, the box would stop the reading until it is
  // closed: the timer runs on and the box opens once the socket is free.
  if (services_.commands->ConnectionBusy() && !services_.commands->IsEnding()) return;
  services_.event_loop->StopTimer(box_timer_);
  box_timer_ = 0;
  // The box's wait keeps the connection read: what comes meanwhile waits for the next box.
  message_box_open_ = true;
  while (gathered_ > 0 && !services_.commands->IsEnding()) {
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
  services_.toolkit->MessageBox().Show(
      text.CStr(), record.caption.CStr(),
      record.plain == 0 ? cMessageBoxIcon::kWarning : cMessageBoxIcon::kNone,
      cMessageBoxButtons::kOk, nullptr);
}

Status cMainWindowAnswerRelay::LaunchProgram(const LaunchProgramRecord& record) {
  const Status started =
      services_.shell->Execute(record.verb.CStr(), record.file.CStr(), record.parameters.CStr(),
                               record.directory.CStr(), static_cast<int32_t>(record.show_command));
  if (!started.failed()) return Status::Ok();
  // A program that cannot be started is the user's to know about, not a broken connection.
  swString text;
  if (started.Is(Where::kUi, hv::kUnexpectedType)) {
    text.Format("Cannot perform \"%s\" on %s", record.verb.CStr(), record.file.CStr());
  } else {
    text.Format("Unable to start %s", record.file.CStr());
  }
  ShowLogEntryOrDrop(*services_.log, MakeClientError("Launch program", text.CStr()));
  return Status::Declined(Where::kUi);
}

}  // namespace hv
