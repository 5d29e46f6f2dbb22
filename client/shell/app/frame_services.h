// What the hidden main frame works on, handed to it by the application that owns it: the
// clock, loop and toolkit, the settings it reads, the connection it checks, the tray's
// favourites, the activity log, the busy flag, and the few commands that reach the
// application itself (the main window, the about box, the history, leaving the server).
#ifndef HV_CLIENT_SHELL_APP_FRAME_SERVICES_H_
#define HV_CLIENT_SHELL_APP_FRAME_SERVICES_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cActivityLog;
class cAppMainWindow;
class cClientSettings;
class cClock;
class cEventLoop;
class cProtocolContext;
class cServerConnection;
class cToolkit;
class cTrayFavourites;
struct cProgramFlags;

// The application's part of the frame's work: the tray menu's commands and the tick's.
class cFrameCommands {
 public:
  virtual ~cFrameCommands() = default;
  // Null while there is no main window.
  virtual cAppMainWindow* MainWindow() = 0;
  [[nodiscard]] virtual Status OpenMainWindow() = 0;
  virtual void HideMainWindow() = 0;
  virtual void ShowAbout() = 0;
  virtual void OpenHistory() = 0;
  [[nodiscard]] virtual Status RunFavourite(int32_t command) = 0;
  [[nodiscard]] virtual Status PollCommandFileMonitor() = 0;
  // True while the connection's socket is being read or written (a wait is on the stack).
  virtual bool ConnectionBusy() const = 0;
  // Logs off without waiting on the server.
  virtual void LeaveServer() = 0;
};

// Every pointer must be set and outlive the frame.
struct cFrameServices {
  const cClock* clock = nullptr;
  cEventLoop* event_loop = nullptr;
  cToolkit* toolkit = nullptr;
  const cClientSettings* settings = nullptr;
  cServerConnection* connection = nullptr;
  cProtocolContext* protocol_context = nullptr;
  cTrayFavourites* favourites = nullptr;
  cActivityLog* log = nullptr;
  cProgramFlags* flags = nullptr;
  cFrameCommands* commands = nullptr;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_FRAME_SERVICES_H_
