#include "client/shell/main_frame.h"

#include "client/protocol/log_item_record.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/app_main_window.h"
#include "client/platform/clock.h"

CMainFrame::CMainFrame(CHouseDeskApp& app, std::function<void()> quit, cTrayHooks* tray)
    : app_(app), quit_(std::move(quit)), tray_(tray) {}

CMainFrame::~CMainFrame() {
  if (timer_ != 0) app_.EventLoop().StopTimer(timer_);
}

void CMainFrame::Start() {
  const uint32_t now = app_.Clock().TickCount();
  last_liveness_ = now;
  last_clock_step_ = now;
  if (timer_ == 0) timer_ = app_.EventLoop().StartTimer(kTimerPeriodMs, [this] { Tick(); });
}

void CMainFrame::StartFlash() {
  if (tray_ != nullptr) tray_->StartFlash();
}

void CMainFrame::Exit() {
  if (exiting_) return;
  exiting_ = true;
  cAppMainWindow* window = app_.MainWindow();
  if (window != nullptr && !window->IsClosing()) window->WriteMainWindowValues();
  if (timer_ != 0) {
    app_.EventLoop().StopTimer(timer_);
    timer_ = 0;
  }
  if (quit_) quit_();
}

void CMainFrame::Tick() {
  if (app_.AppBusy()) return;
  app_.SetAppBusy(true);
  const uint32_t now = app_.Clock().TickCount();
  // Intervals by unsigned subtraction, so the tick count's wrap does not matter.
  if (now - last_liveness_ > kLivenessPeriodMs) {
    last_liveness_ = now;
    LivenessCheck(app_.MainWindow());
  }
  if (cAppMainWindow* window = app_.MainWindow()) {
    if (now - last_clock_step_ >= kClockStepMs) {
      last_clock_step_ = now;
      window->StepServerClock();
    }
  }
  app_.PollCommandFileMonitor();
  if (tray_ != nullptr) tray_->FlashStep();
  if (cAppMainWindow* window = app_.MainWindow()) {
    if (window->IsReady()) window->PollChildren();
  }
  app_.SetAppBusy(false);
}

void CMainFrame::LivenessCheck(cAppMainWindow* window) {
  cProtocolContext& context = app_.ProtocolContext();
  cServerConnection& connection = app_.Connection();
  if (connection.IsConnected() && context.HeardFromServer() != 0) {
    if (SendGetServerTime(connection.Socket()) < 0) {
      context.SetHeardFromServer(0);
      app_.AddLogEntry(MakeClientEntry(kEntryX10Sensor, 0, 5, "Get Server Time",
                                       "Server Not Responding"),
                       true, true);
    }
  }
  if (!connection.IsConnected()) context.SetHeardFromServer(0);
  // A failed reconnect says nothing; the next check tries again.
  if (context.HeardFromServer() == 0 && window != nullptr) {
    if (window->Reconnect() >= 0) context.SetHeardFromServer(1);
  }
}
