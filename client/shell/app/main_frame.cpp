#include "client/shell/app/main_frame.h"

#include "client/platform/clock.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/log_item_record.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/shell/app/app_main_window.h"
#include "client/shell/app/program_flags.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/tray/tray_favourites.h"
#include "client/ui/menu.h"

namespace hv {

namespace {

// The names the trace gives the mouse events, from kMessageMouseMove on.
constexpr const char* kMouseEventNames[] = {
    "WM_MOUSEMOVE", "WM_LBUTTONDOWN",   "WM_LBUTTONUP",   "WM_LBUTTONDBLCLK", "WM_RBUTTONDOWN",
    "WM_RBUTTONUP", "WM_RBUTTONDBLCLK", "WM_MBUTTONDOWN", "WM_MBUTTONUP",     "WM_MBUTTONDBLCLK",
};

const char* MouseEventName(int64_t event) {
  const int64_t index = event - kMessageMouseMove;
  if (index < 0 || index >= static_cast<int64_t>(std::size(kMouseEventNames))) {
    return "(Unknown)";
  }
  return kMouseEventNames[index];
}

}  // namespace

CMainFrame::CMainFrame(const cFrameServices& services, std::function<void()> quit, cTrayArea* tray)
    : services_(services), quit_(std::move(quit)), tray_(tray) {}

CMainFrame::~CMainFrame() {
  if (timer_ != 0) services_.event_loop->StopTimer(timer_);
  tray_icon_.reset();
}

void CMainFrame::Start() {
  const uint32_t now = services_.clock->TickCount();
  last_liveness_ = now;
  last_clock_step_ = now;
  current_image_ = kTrayImageQuiet;
  if (tray_icon_ == nullptr && tray_ != nullptr && services_.settings->tray_icon_type != 0) {
    tray_icon_ = std::make_unique<CTrayIcon>(*services_.toolkit, *tray_, kTrayIconId);
    tray_icon_->SetNotifyWnd(&window_, kTrayCallbackMessage);
    tray_icon_->SetMenuExtension([this](cPopupMenu& menu) { AddFavouriteItems(menu); });
    tray_icon_->SetIcon(kTrayImageQuiet)
        .Ignore("without a tray the icon stays out until one starts; the window then cannot hide");
  }
  if (timer_ == 0) timer_ = services_.event_loop->StartTimer(kTimerPeriodMs, [this] { Tick(); });
}

void CMainFrame::StartFlash() {
  flash_counter_ = 0;
  // As if the picture had just been shown its full time, so the next tick changes it.
  last_image_change_ = services_.clock->TickCount() - kFlashPeriodMs;
}

void CMainFrame::FlashStep() {
  if (flash_counter_ >= kFlashTicks && current_image_ != kTrayImageNoticed) return;
  const uint32_t now = services_.clock->TickCount();
  if (now - last_image_change_ >= kFlashDueMs) {
    current_image_ = current_image_ == kTrayImageQuiet ? kTrayImageNoticed : kTrayImageQuiet;
    // "Static" keeps its one picture; only "Flashing" shows the change.
    if (services_.settings->tray_icon_type == 2 && tray_icon_ != nullptr) {
      tray_icon_->SetIcon(current_image_)
          .Ignore("a tray that refuses one picture of the flashing gets the next one");
    }
    last_image_change_ = now;
  }
  ++flash_counter_;
}

int64_t CMainFrame::WindowProc(cMessageWindow& /*window*/, const cWindowMessage& message) {
  if (message.message == kMessageCommand) {
    OnTrayCommand(static_cast<int32_t>(message.wparam));
  } else if (message.message == kTrayCallbackMessage) {
    TraceTrayNotification(message.wparam, message.lparam);
  }
  return 0;
}

void CMainFrame::OnTrayCommand(int32_t command) {
  switch (command) {
    case kTrayCommandOpen:
      services_.commands->OpenMainWindow().Ignore(
          "a window that cannot be made leaves the program in the tray; the next Open tries again");
      break;
    case kTrayCommandHide: services_.commands->HideMainWindow(); break;
    case kTrayCommandAbout: services_.commands->ShowAbout(); break;
    case kTrayCommandExit: Exit(); break;
    case kTrayCommandHistory: services_.commands->OpenHistory(); break;
    default:
      services_.commands->RunFavourite(command).Ignore("a failed send is shown as an entry");
      break;
  }
}

void CMainFrame::AddFavouriteItems(cPopupMenu& menu) {
  const std::vector<cTrayFavourites::cMenuEntry> entries = services_.favourites->MenuEntries();
  if (entries.empty()) return;
  // Without a connection nothing can be switched; the marks still show the last status.
  const bool connected = services_.connection->IsConnected();
  for (const cTrayFavourites::cMenuEntry& entry : entries) {
    menu.AppendItem(entry.command, entry.text.CStr());
    menu.CheckItem(entry.command, entry.checked);
    if (!connected) menu.EnableItem(entry.command, false);
  }
  menu.AppendSeparator();
}

void CMainFrame::TraceTrayNotification(uint64_t id, int64_t event) {
  if (!trace_on_) return;
  swString line;
  line.Format("Tray notification: ID=%d, lEvent=0x%04x %s\r\n", static_cast<int>(id),
              static_cast<unsigned>(event), MouseEventName(event));
  trace_.Append(line);
  // Nobody reads a trace that old; a program that runs for weeks must not keep it all.
  if (trace_.GetLength() > kTraceLimit) {
    const char* text = trace_.CStr();
    const char* keep = text + trace_.GetLength() - kTraceLimit / 2;
    while (*keep != '\0' && *keep != '\n') ++keep;
    if (*keep == '\n') ++keep;
    trace_ = swString(keep);
  }
}

void CMainFrame::Exit() {
  if (exiting_) return;
  exiting_ = true;
  cAppMainWindow* window = services_.commands->MainWindow();
  if (window != nullptr && !window->IsClosing()) window->WriteMainWindowValues();
  if (timer_ != 0) {
    services_.event_loop->StopTimer(timer_);
    timer_ = 0;
  }
  // Asked from inside a wait on the server (one that stopped half-way through a block), the
  // loop's quit would only take effect once that wait gave up: leave the server now, which
  // ends the wait.
  if (services_.commands->ConnectionBusy()) services_.commands->LeaveServer();
  if (quit_) quit_();
}

void CMainFrame::Tick() {
  if (services_.flags->app_busy) return;
  services_.flags->app_busy = true;
  const uint32_t now = services_.clock->TickCount();
  // Intervals by unsigned subtraction, so the tick count's wrap does not matter.
  if (now - last_liveness_ > kLivenessPeriodMs || reconnect_.Due(now)) {
    RunConnectionCheck(now, reconnect_.CheckPending());
  } else if (awaiting_wake_answer_) {
    WakeAnswerStep(now);
  }
  if (cAppMainWindow* window = services_.commands->MainWindow()) {
    if (now - last_clock_step_ >= kClockStepMs) {
      last_clock_step_ = now;
      window->StepServerClock();
    }
  }
  services_.commands->PollCommandFileMonitor().Ignore(
      "the poll shows what it gives up on as Error entries; a file it cannot read yet is tried "
      "again on the next tick");
  FlashStep();
  // Favourites and their marks change with the server's news; trays that show the menu
  // themselves are kept in step (nothing is sent while it is unchanged).
  if (tray_icon_ != nullptr) tray_icon_->RefreshMenu();
  if (cAppMainWindow* window = services_.commands->MainWindow()) {
    if (window->IsReady()) window->PollChildren();
  }
  services_.flags->app_busy = false;
}

void CMainFrame::ConnectionLost() {
  // A server that ends the session right after the login has turned the login down; asking
  // again at once would only be turned down again.
  if (services_.settings->reconnect_quickly != 1 || !services_.connection->HeardSinceLogin())
    return;
  reconnect_.ConnectionLost(services_.clock->TickCount());
}

void CMainFrame::ComputerWoke() {
  if (services_.settings->check_connection_on_resume != 1) return;
  reconnect_.CheckSoon(services_.clock->TickCount(), services_.settings->reconnect_quickly == 1);
}

bool CMainFrame::ShowBalloon(const cDesktopNotice& notice) {
  if (tray_ == nullptr || tray_icon_ == nullptr || !tray_icon_->HasIcon()) return false;
  return tray_->ShowBalloon(tray_icon_->NotifyData(), notice);
}

void CMainFrame::RunConnectionCheck(uint32_t now, bool woke) {
  last_liveness_ = now;
  awaiting_wake_answer_ = false;
  cProtocolContext& context = *services_.protocol_context;
  const bool was_connected = services_.connection->IsConnected() && context.HeardFromServer() != 0;
  const uint32_t blocks = context.BlocksReceived();
  LivenessCheck(services_.commands->MainWindow());
  const bool connected = context.HeardFromServer() != 0;
  if (woke && was_connected && services_.connection->IsConnected()) {
    // The send went out, which proves nothing after a sleep: wait for the answer.
    awaiting_wake_answer_ = true;
    wake_check_sent_ = now;
    blocks_at_wake_check_ = blocks;
  }
  // A connect may have waited: what follows is measured from the clock as it is now.
  reconnect_.Checked(services_.clock->TickCount(), connected);
}

void CMainFrame::WakeAnswerStep(uint32_t now) {
  cProtocolContext& context = *services_.protocol_context;
  if (context.BlocksReceived() != blocks_at_wake_check_ || !services_.connection->IsConnected()) {
    // The server answered, or the connection ended (and its loss has been dealt with).
    awaiting_wake_answer_ = false;
    return;
  }
  if (now - wake_check_sent_ < kWakeAnswerMs) return;
  context.SetHeardFromServer(0);
  AddLogEntryOrDrop(
      *services_.log,
      MakeClientEntry(kEntryX10Sensor, 0, 5, "Get Server Time", "Server Not Responding"), true,
      true);
  RunConnectionCheck(now, false);
  // A dead connection found this way is a lost one: the quick tries follow a failed
  // reconnect.
  if (context.HeardFromServer() == 0 && services_.settings->reconnect_quickly == 1) {
    reconnect_.ConnectionLost(services_.clock->TickCount());
  }
}

void CMainFrame::LivenessCheck(cAppMainWindow* window) {
  cProtocolContext& context = *services_.protocol_context;
  cServerConnection& connection = *services_.connection;
  if (connection.IsConnected() && context.HeardFromServer() != 0) {
    if (SendGetServerTime(connection.Socket()).failed()) {
      context.SetHeardFromServer(0);
      AddLogEntryOrDrop(
          *services_.log,
          MakeClientEntry(kEntryX10Sensor, 0, 5, "Get Server Time", "Server Not Responding"), true,
          true);
    }
  }
  if (!connection.IsConnected()) context.SetHeardFromServer(0);
  // A failed reconnect says nothing; the next check tries again.
  if (context.HeardFromServer() == 0 && window != nullptr) {
    if (!window->Reconnect().failed()) context.SetHeardFromServer(1);
  }
}

}  // namespace hv
