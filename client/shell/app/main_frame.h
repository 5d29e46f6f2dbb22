// CMainFrame: the hidden main frame. It owns the program's one timer (500 ms), a message
// window (the tray icon's notify window, which also takes the icon menu's commands) and,
// unless "Tray Icon Type" is 0 or there is no tray at all, the tray icon. Each tick that finds
// the program's busy flag (AppBusy) clear runs, with the flag set: the liveness check (every 120 s:
// Get server time, or a reconnect when the server has gone quiet), the main window's server clock
// (at most once per 990 ms), one poll of the command file monitor, the tray's flashing step and
// PollChild of every view. The liveness check also runs sooner: a few times within the first minute
// after a connection is lost ("Reconnect Quickly"), and at once after the computer wakes ("Check
// Connection On Resume").
//
// The application owns the frame and outlives it; it hands the frame only the parts the
// frame works on (cFrameServices). Exit ends the program: the "Main Window"
// values are written unless the main window is already closing, the timer stops and the
// quit function given at construction ends the event loop.
#ifndef HV_CLIENT_SHELL_APP_MAIN_FRAME_H_
#define HV_CLIENT_SHELL_APP_MAIN_FRAME_H_

#include <cstdint>
#include <functional>
#include <memory>

#include "client/platform/event_loop.h"
#include "client/protocol/reconnect_schedule.h"
#include "client/shell/app/app_main_frame.h"
#include "client/shell/app/frame_services.h"
#include "client/shell/tray/tray_icon.h"
#include "client/shell/tray/tray_resources.h"
#include "client/ui/message_window.h"
#include "client/ui/tray_area.h"
#include "core/string/sw_string.h"

namespace hv {

class cAppMainWindow;
class cPopupMenu;

class CMainFrame : public cAppMainFrame, private cWindowProcedure {
 public:
  // How often the liveness check runs, and how often the server clock steps.
  static constexpr uint32_t kTimerPeriodMs = 500;
  static constexpr uint32_t kLivenessPeriodMs = 120000;
  static constexpr uint32_t kClockStepMs = 990;
  // After a wake the server must answer the check within this time, or the connection is
  // taken for dead: one that slept through the server's restart still takes sends.
  static constexpr uint32_t kWakeAnswerMs = 5000;

  // The message the tray icon's callbacks arrive as (the first number programs may use).
  static constexpr uint32_t kTrayCallbackMessage = kMessageUser;
  // How many ticks one StartFlash flashes for, and how long each picture stays.
  static constexpr int32_t kFlashTicks = 10;
  static constexpr uint32_t kFlashPeriodMs = 500;
  // A tick this long after the last change counts as a whole period. Desktop timers fire a
  // few percent early or late, and a tick that found 475 ms would otherwise skip its change
  // and leave the picture up for a second; half a period still keeps extra ticks (a timer
  // catching up) from changing it twice within one period.
  static constexpr uint32_t kFlashDueMs = kFlashPeriodMs / 2;
  // The tray trace keeps at most about this many bytes, dropping its oldest lines.
  static constexpr uint32_t kTraceLimit = 32 * 1024;

  // `tray` (not owned; may be null: no tray icon at all) must outlive the frame; `quit`
  // ends the event loop (may be empty).
  CMainFrame(const cFrameServices& services, std::function<void()> quit, cTrayArea* tray);
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Puts the icon in the tray (unless "Tray Icon Type" is 0) and starts the timer; the
  // first liveness check falls 120 s from now.
  void Start();

  // cAppMainFrame
  void StartFlash() override;
  void Exit() override;
  void ConnectionLost() override;
  void ComputerWoke() override;
  bool ShowBalloon(const cDesktopNotice& notice) override;

  // One tick of the timer (the timer calls it; tests may too).
  void Tick();
  // An icon is in the tray now, so a hidden main window can be brought back with it.
  // A tray that went away took the icon with it, whatever the icon last heard.
  bool HasTrayIcon() const override {
    return tray_icon_ != nullptr && tray_icon_->HasIcon() && TrayAvailable();
  }
  bool TrayAvailable() const override { return tray_ != nullptr && tray_->IsAvailable(); }
  bool IsRunning() const { return timer_ != 0; }
  // The flashing step of a tick: while a flash runs (or the icon still shows the noticing
  // picture) the picture changes every 500 ms; "Tray Icon Type" 2 shows it in the tray.
  void FlashStep();
  uint32_t CurrentTrayImage() const { return current_image_; }
  // One line per tray callback: "Tray notification: ID=%d, lEvent=0x%04x %s\r\n".
  const swString& TrayTrace() const { return trace_; }

 private:
  // The frame's own handling of its window's messages: the icon menu's commands and the
  // trace of the tray callbacks.
  int64_t WindowProc(cMessageWindow& window, const cWindowMessage& message) override;
  void OnTrayCommand(int32_t command);
  // The favourites at the top of the icon's menu, checked when on or running.
  void AddFavouriteItems(cPopupMenu& menu);
  void TraceTrayNotification(uint64_t id, int64_t event);
  void LivenessCheck(cAppMainWindow* window);
  // The liveness check, and what the quick tries and a wake need to know of its outcome.
  void RunConnectionCheck(uint32_t now, bool woke);
  // After a wake: the check's Get server time went out on a socket that may be dead; no
  // answer in kWakeAnswerMs means it is, and the connection is made again.
  void WakeAnswerStep(uint32_t now);

  cFrameServices services_;
  std::function<void()> quit_;
  cTrayArea* tray_;
  cMessageWindow window_{this};
  // After the window, so the icon goes (and unhooks) first.
  std::unique_ptr<CTrayIcon> tray_icon_;
  uint32_t current_image_ = kTrayImageQuiet;
  int32_t flash_counter_ = kFlashTicks;
  uint32_t last_image_change_ = 0;
  bool trace_on_ = true;
  swString trace_;
  cEventLoop::TimerId timer_ = 0;
  uint32_t last_liveness_ = 0;
  uint32_t last_clock_step_ = 0;
  cReconnectSchedule reconnect_;
  bool awaiting_wake_answer_ = false;
  uint32_t wake_check_sent_ = 0;
  uint32_t blocks_at_wake_check_ = 0;
  bool exiting_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_MAIN_FRAME_H_
