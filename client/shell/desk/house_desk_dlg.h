// CHouseDeskDlg: the main window (dialog resource 102): its layout and its commands. It
// shows the connection and the server's facts (address, control file, client count, server
// clock, dawn and dusk), holds the views in their tabs and the split view's top pane
// (cTabArrangement) and offers the global commands (setup, day/night, pause macros, mute,
// the user's log message, help, hide, exit). The connection's side of the window (logging
// in again, the answers of the server, what the views report) is its cDeskSession; the
// Setup button's work is cDeskSetup.
//
// The application object owns it (through cAppMainWindow), hands it its services and
// outlives it; the view factory too. Made by Create, which builds the window, runs the
// initialisation steps in their order (views, first requests, tabs, setup when there is no
// automatic login, layout) and shows it. Destroying it closes the session, then every view, drains
// pending events and writes "WindowSize".
#ifndef HV_CLIENT_SHELL_DESK_HOUSE_DESK_DLG_H_
#define HV_CLIENT_SHELL_DESK_HOUSE_DESK_DLG_H_

#include <cstdint>
#include <functional>
#include <memory>

#include "client/shell/app/app_main_window.h"
#include "client/shell/desk/desk_services.h"
#include "client/shell/desk/desk_session.h"
#include "client/shell/desk/tab_arrangement.h"
#include "client/ui/window.h"

namespace hv {

class cButton;
class cRemoteClientSocket;
class cViewFactory;

// The product's web page, opened by the website picture button.
constexpr const char* kProductWebPage = "https://www.varnholt.example/";
// The website button's picture, in the program's directory.
constexpr const char* kWebsitePictureFile = "VH.BMP";

// Dialogs other parts of the client provide; an empty one tells the user it is not
// available yet.
struct cDeskDialogs {
  std::function<void(cWindow& parent)> version_info;
};

class CHouseDeskDlg : public cAppMainWindow, public cWindowEvents {
 public:
  // `services` and `factory` must outlive the window.
  CHouseDeskDlg(const cDeskServices& services, cViewFactory& factory, cDeskDialogs dialogs = {});
  ~CHouseDeskDlg() override;
  CHouseDeskDlg(const CHouseDeskDlg&) = delete;
  CHouseDeskDlg& operator=(const CHouseDeskDlg&) = delete;

  // Makes the window, initialises it and shows it. Ok, or kOutOfMemory when the window
  // cannot be made.
  [[nodiscard]] Status Create();

  // The connection's side of the window: answers, what the views report, logging in again.
  hv::cDeskSession& Session() { return *session_; }
  cWindow* Window() const { return window_.get(); }
  cTabArrangement& Arrangement() { return arrangement_; }
  bool IsRecording() const { return session_->IsRecording(); }
  int64_t ServerClock() const { return session_->ServerClock(); }

  // cAppMainWindow
  cAnswerReceiver& Answers() override;
  // The connection again with the current settings: a new login when there is an address,
  // then every list emptied and asked for again, and everything else a start asks for
  // (light and dark, video sources and thumbnails, log items, control file name, client
  // count, server time, dawn and dusk), so the window ends up as complete as after a start.
  // During initialisation only the lists are asked for here: the later initialisation steps
  // ask for the rest, once. Ok, or the failed connection's status (then nothing else
  // changes).
  [[nodiscard]] Status Reconnect() override;
  void PollChildren() override;
  void StepServerClock() override;
  void WriteMainWindowValues() override;
  bool IsReady() const override;
  bool IsClosing() const override { return closing_; }
  void Restore() override;
  void Hide() override;
  [[nodiscard]] Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) override;
  void ForgetActivityItem(const CActivityItem* item) override;
  void OpenSetup() override { RunSetup(); }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnResized(int32_t width, int32_t height) override;
  void OnContextMenu(int32_t control_id, cPoint screen_point) override;
  void OnHelp() override;
  void OnSystemCommand(int32_t command) override;

 private:
  void OnInitDialog();
  void LoadWebsitePicture();
  void RestoreWindowSize();
  void WriteWindowSize();
  // What the dialogs call for their Help buttons: the page of the context they name.
  std::function<void(int32_t context)> HelpOpener();
  // The setup dialog, and on OK the new connection and the saved client settings.
  void RunSetup();
  // The first requests of a new window, the setup when there is no automatic login, the
  // video views and the window's size, in the order the server and the user expect them.
  void RequestFirstAnswers();
  void SetText(int32_t id, const char* text);
  bool Connected() const;

  // "Tray Icon Type" is not 0 and the frame has an icon in the tray (or there is no frame).
  bool CanHide() const;
  void OnExit();
  void OnCloseBox();
  void OnDayNight();
  void OnPauseMacros();
  void OnMute();
  // Sends the check box's new state with `send`.
  void SendCheckState(cButton& box, const char* failure,
                      Status (*send)(cRemoteClientSocket*, uint16_t));
  void OnAddLogMessage();
  void OnServerTimeButton();
  // The send X10 code dialog, modally.
  void OnSendX10Code();
  // The product's web page in the browser; a box when no browser can be started.
  void OnWebsite();
  void NotAvailableYet();

  cDeskServices services_;
  cDeskDialogs dialogs_;
  std::unique_ptr<cWindow> window_;
  // Made before the arrangement, which reports to it, and so destroyed after it.
  std::unique_ptr<hv::cDeskSession> session_;
  cTabArrangement arrangement_;
  bool closing_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_HOUSE_DESK_DLG_H_
