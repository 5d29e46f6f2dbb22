// cMainWindowAnswerRelay: the connection's answer receiver for the whole run. The connection
// may exist before the main window (the automatic login) and outlive it, so answers go
// through this relay: Log items and Command responses to the application, everything else to
// the main window when there is one (declined when there is none). Server messages
// and programs to launch are the desktop's: the relay shows the box or starts the program
// itself, window or not.
#ifndef HV_CLIENT_SHELL_APP_MAIN_WINDOW_ANSWER_RELAY_H_
#define HV_CLIENT_SHELL_APP_MAIN_WINDOW_ANSWER_RELAY_H_

#include <cstdint>
#include <memory>

#include "client/protocol/answer_receiver.h"
#include "client/protocol/log_item_record.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cActivityLog;
class cAppMainFrame;
class cAppMainWindow;
class cClientSettings;
class cDesktopNotices;
class cEventLoop;
class cLoginRefusedBox;
class cServerConnection;
class cShell;
class cToolkit;
class cTrayFavourites;
namespace history {
class HouseEventObserver;
}  // namespace history

// The application's part of the relay's work.
class cAnswerRelayCommands {
 public:
  virtual ~cAnswerRelayCommands() = default;
  // Null while there is none.
  virtual cAppMainWindow* MainWindow() = 0;
  virtual cAppMainFrame* MainFrame() = 0;
  [[nodiscard]] virtual Status OpenMainWindow() = 0;
  // True while a wait on the connection's socket is on the stack.
  virtual bool ConnectionBusy() const = 0;
  // True once the program is ending: no box may open then.
  virtual bool IsEnding() const = 0;
  // A Log item from the server, stored and shown.
  [[nodiscard]] virtual Status AddServerLogItem(const LogItemRecord& entry) = 0;
  // A Command response written to stored_path, placed where the monitor wants it: ok,
  // declined when it stays, or a failure the user has been shown.
  [[nodiscard]] virtual Status StoreCommandResponse(const swString& received_name,
                                                    const char* stored_path) = 0;
};

// Every pointer must be set and outlive the relay.
struct cAnswerRelayServices {
  cToolkit* toolkit = nullptr;
  cEventLoop* event_loop = nullptr;
  cShell* shell = nullptr;
  const cClientSettings* settings = nullptr;
  cTrayFavourites* favourites = nullptr;
  cDesktopNotices* notices = nullptr;
  cActivityLog* log = nullptr;
  cAnswerRelayCommands* commands = nullptr;
};

class cMainWindowAnswerRelay : public cAnswerReceiver {
 public:
  explicit cMainWindowAnswerRelay(const cAnswerRelayServices& services);
  ~cMainWindowAnswerRelay() override;
  cMainWindowAnswerRelay(const cMainWindowAnswerRelay&) = delete;
  cMainWindowAnswerRelay& operator=(const cMainWindowAnswerRelay&) = delete;

  // The connection the answers come from, made after the relay it reports to. Must be set
  // before the first answer and outlive the relay.
  void AttachConnection(const cServerConnection* connection) { connection_ = connection; }

  // Everything the house reports also goes to the history, when there is one (null: none).
  void SetHistory(hv::history::HouseEventObserver* history) { history_ = history; }

  // Log items and command responses to the application, server messages and programs to
  // launch to the desktop, every house report to the history and the tray favourites too,
  // and everything else to the main window (declined when there is none). The end of the
  // connection reaches the window and the frame, and a login the server refused is shown
  // in a box.
  [[nodiscard]] Status Receive(const Answer& answer) override;

 private:
  // Items, statuses and log entries to the history, when there is one.
  void TellHistory(const Answer& answer);
  // What the tray favourites and the desktop notices hear, window or not.
  void TellDesktop(const Answer& answer);
  Status ToWindow(const Answer& answer);
  void ConnectionEnded();
  // A box without owner: the message may come before the main window exists. The box opens
  // from the event loop once the answers at hand are handled, and shows the latest message
  // with how many more came since the last box; those are in the activity log. Messages
  // that come while a box is open wait for the next one. Always ok.
  Status ShowServerMessage(const ServerMessageRecord& record);
  // Starts the program through the shell. Ok once started; a program that cannot be started
  // is shown as an Error entry and declined.
  Status LaunchProgram(const LaunchProgramRecord& record);
  // The history, told first of a new login's session; null when there is none.
  hv::history::HouseEventObserver* History();
  void ShowGatheredMessages();
  void ShowServerMessageBox(const ServerMessageRecord& record, uint32_t more);

  cAnswerRelayServices services_;
  const cServerConnection* connection_ = nullptr;
  std::unique_ptr<hv::cLoginRefusedBox> login_refused_;
  hv::history::HouseEventObserver* history_ = nullptr;
  uint32_t history_login_ = 0;  // the login whose session the history was last told of
  bool message_box_open_ = false;
  uint32_t box_timer_ = 0;  // the event loop's call to show them; 0 when none is due
  // What came since the last box: the latest message and how many in all.
  ServerMessageRecord latest_gathered_;
  uint32_t gathered_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_MAIN_WINDOW_ANSWER_RELAY_H_
