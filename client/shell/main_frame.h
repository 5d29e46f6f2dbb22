// CMainFrame: the hidden main frame. It owns the program's one timer (500 ms) and, through
// its tray hooks, the tray icon. Each tick that finds CHouseDeskApp::AppBusy clear runs, with
// the flag set: the liveness check (every 120 s: Get server time, or a reconnect when the
// server has gone quiet), the main window's server clock (at most once per 990 ms), one poll
// of the command file monitor, the tray's flashing step and PollChild of every view.
//
// The application owns the frame and outlives it. Exit ends the program: the "Main Window"
// values are written unless the main window is already closing, the timer stops and the
// quit function given at construction ends the event loop.
#ifndef HV_CLIENT_SHELL_MAIN_FRAME_H_
#define HV_CLIENT_SHELL_MAIN_FRAME_H_

#include <cstdint>
#include <functional>

#include "client/shell/app_main_frame.h"
#include "client/platform/event_loop.h"

class CHouseDeskApp;
class cAppMainWindow;

// The tray icon as the frame drives it; realised with the tray icon itself.
class cTrayHooks {
 public:
  virtual ~cTrayHooks() = default;
  virtual void StartFlash() = 0;
  // One step of the flashing, every tick.
  virtual void FlashStep() = 0;
  // An icon is in the tray now, so a hidden main window can be brought back with it.
  virtual bool HasIcon() const = 0;
};

class CMainFrame : public cAppMainFrame {
 public:
  // How often the liveness check runs, and how often the server clock steps.
  static constexpr uint32_t kTimerPeriodMs = 500;
  static constexpr uint32_t kLivenessPeriodMs = 120000;
  static constexpr uint32_t kClockStepMs = 990;

  // `tray` (not owned; may be null: no tray icon) must outlive the frame; `quit` ends the
  // event loop (may be empty).
  CMainFrame(CHouseDeskApp& app, std::function<void()> quit, cTrayHooks* tray);
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Starts the timer; the first liveness check falls 120 s from now.
  void Start();

  // cAppMainFrame
  void StartFlash() override;
  void Exit() override;

  // One tick of the timer (the timer calls it; tests may too).
  void Tick();
  bool HasTrayIcon() const override { return tray_ != nullptr && tray_->HasIcon(); }
  bool IsRunning() const { return timer_ != 0; }

 private:
  void LivenessCheck(cAppMainWindow* window);

  CHouseDeskApp& app_;
  std::function<void()> quit_;
  cTrayHooks* tray_;
  cEventLoop::TimerId timer_ = 0;
  uint32_t last_liveness_ = 0;
  uint32_t last_clock_step_ = 0;
  bool exiting_ = false;
};

#endif  // HV_CLIENT_SHELL_MAIN_FRAME_H_
