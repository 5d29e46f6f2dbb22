// cAppMainWindow: the main window as the application object sees it. CHouseDeskDlg realises
// it; tests use a small fake. The application owns it (made through cAppWindowFactory when
// OpenMainWindow finds none) and destroys it at the end of the program, after the settings
// file has been written. Destroying it runs the window's own destruction steps (views
// closed, "WindowSize" written).
//
// Answers from the server reach its Answers(), relayed by the application so that a
// connection made before the window exists (the automatic login) still has a receiver. Log
// item answers and Command responses are the application's business and never reach the
// window: the relay takes them.
#ifndef HV_CLIENT_SHELL_APP_APP_MAIN_WINDOW_H_
#define HV_CLIENT_SHELL_APP_APP_MAIN_WINDOW_H_

#include <cstdint>

#include "client/protocol/answer_receiver.h"
#include "client/protocol/log_item_record.h"
#include "core/status.h"

namespace hv {

class CActivityItem;

class cAppMainWindow {
 public:
  virtual ~cAppMainWindow() = default;

  // Where the relay hands the server's answers while the window exists.
  virtual cAnswerReceiver& Answers() = 0;
  // Opens the setup dialog, as the Setup button does (a box that points the user there
  // offers it). Windows without one do nothing.
  virtual void OpenSetup() {}

  // OpenMainWindow on a window that exists: restore it to normal size, bring it to the
  // foreground and lay out every tabbed view again.
  virtual void Restore() = 0;
  // HideMainWindow: hide only; the program keeps running and polling.
  virtual void Hide() = 0;

  // Shows the entry in every activity log view without storing it; `item` is the stored
  // entry it shows, or null. Ok; declined when turned away (re-entered, window not ready); or
  // the first failure of a view.
  [[nodiscard]] virtual Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) = 0;

  // The stored entry is about to be freed (the list is over "Max Log Entries", or it was
  // emptied): every row that refers to it must drop the reference before this returns.
  virtual void ForgetActivityItem(const CActivityItem* item) = 0;

  // What the frame's timer asks of the window.
  // Initialisation has finished and the window is not being destroyed.
  virtual bool IsReady() const = 0;
  // The window is ending (its "Main Window" values have been written).
  virtual bool IsClosing() const = 0;
  // PollChild on every view, then once more on the top view.
  virtual void PollChildren() = 0;
  // Advances a known server clock by one second and shows it.
  virtual void StepServerClock() = 0;
  // The connection again with the current settings (a new login, every list asked for
  // again). Ok, or the failed connection's status.
  [[nodiscard]] virtual Status Reconnect() = 0;
  // The "Main Window" values from the current choices.
  virtual void WriteMainWindowValues() = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_APP_MAIN_WINDOW_H_
