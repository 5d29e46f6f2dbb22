// cAppMainFrame: the hidden main frame as the application object sees it. CMainFrame
// realises it. Made by cAppWindowFactory during start-up (after the automatic login, before
// the main window); while it exists it owns the tray icon and the program's one 500 ms timer,
// whose tick runs the liveness check, the server clock, the command file monitor's poll, the
// tray flashing and the views' polls, all guarded by the program's busy flag.
// The application owns it and destroys it at the end of the program, after the main window.
#ifndef HV_CLIENT_SHELL_APP_APP_MAIN_FRAME_H_
#define HV_CLIENT_SHELL_APP_APP_MAIN_FRAME_H_

namespace hv {

struct cDesktopNotice;

class cAppMainFrame {
 public:
  virtual ~cAppMainFrame() = default;

  // Restarts the tray icon's flashing (a new activity entry arrived).
  virtual void StartFlash() = 0;

  // Ends the program the way the tray menu's "Exit" does: the "Main Window" values are
  // written when the main window exists and is not already closing, the timer stops and the
  // event loop is asked to end. The application object is destroyed afterwards by whoever
  // runs the loop, which writes the settings file. Safe to call more than once.
  virtual void Exit() = 0;

  // An icon is in the tray now, so a hidden main window can be brought back with it.
  virtual bool HasTrayIcon() const = 0;
  // The desktop has a tray an icon could live in (the setup dialog says when it has none).
  virtual bool TrayAvailable() const = 0;
  // The connection has just ended (a Goodbye, the server closing its end, a bad block):
  // with "Reconnect Quickly" the frame tries again within seconds.
  virtual void ConnectionLost() {}
  // The computer woke from suspend or its network came back: with "Check Connection On
  // Resume" the frame checks the connection at its next tick.
  virtual void ComputerWoke() {}
  // Shows the notice as a balloon of the tray icon; false when there is no icon to show it.
  virtual bool ShowBalloon(const cDesktopNotice& /*notice*/) { return false; }
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_APP_MAIN_FRAME_H_
