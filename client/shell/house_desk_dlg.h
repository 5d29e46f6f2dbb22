// CHouseDeskDlg: the main window (dialog resource 102). It shows the connection and the
// server's facts (address, control file, client count, server clock, dawn and dusk), holds
// the views in their tabs and the split view's top pane (cTabArrangement), offers the global
// commands (setup, day/night, pause macros, mute, the user's log message, help, hide, exit)
// and receives the answers of the server, handing each to the views of its kind.
//
// The application object owns it (through cAppMainWindow) and outlives it; the view factory
// too. Made by Create, which builds the window, runs the initialisation steps in their order
// (views, first requests, tabs, setup when there is no automatic login, layout) and shows it.
// Destroying it closes every view, drains pending events and writes "WindowSize".
#ifndef HV_CLIENT_SHELL_HOUSE_DESK_DLG_H_
#define HV_CLIENT_SHELL_HOUSE_DESK_DLG_H_

#include <cstdint>
#include <functional>
#include <memory>

#include "client/shell/app_main_window.h"
#include "client/shell/tab_arrangement.h"
#include "client/ui/window.h"
#include "client/views/tab_child_owner.h"
#include "client/views/video/video_view_owner.h"
#include "core/string/sw_string.h"

namespace hv {

class CHouseDeskApp;
class cBitmap;
class cDeskSettings;
class cRemoteClientSocket;
class cThumbnailDecoder;
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

// Where a server clock step comes from.
enum class eClockUpdate { kAnswer, kTick };

class CHouseDeskDlg : public cAppMainWindow,
                      public cTabChildOwner,
                      public cVideoViewOwner,
                      public cWindowEvents {
 public:
  CHouseDeskDlg(CHouseDeskApp& app, cViewFactory& factory, cDeskDialogs dialogs = {});
  ~CHouseDeskDlg() override;
  CHouseDeskDlg(const CHouseDeskDlg&) = delete;
  CHouseDeskDlg& operator=(const CHouseDeskDlg&) = delete;

  // Makes the window, initialises it and shows it. 0, or kOutOfMemory when the window
  // cannot be made.
  [[nodiscard]] int32_t Create();

  // The connection again with the current settings: a new login when there is an address,
  // then every list emptied and asked for again, and everything else a start asks for
  // (light and dark, video sources and thumbnails, log items, control file name, client
  // count, server time, dawn and dusk), so the window ends up as complete as after a start.
  // During initialisation only the lists are asked for here: the later initialisation steps
  // ask for the rest, once. 0, or the failed connection's status (then nothing else
  // changes).
  [[nodiscard]] int32_t Reconnect() override;
  // The server clock: an answer sets it, a tick advances a known clock by one second; the
  // label then shows it (or why it cannot).
  void UpdateServerTime(int32_t time, eClockUpdate mode);
  // PollChild on every view, then once more on the top view.
  void PollChildren() override;
  void StepServerClock() override { UpdateServerTime(0, eClockUpdate::kTick); }
  // The "Main Window" values from the current choices.
  void WriteMainWindowValues() override;

  bool IsReady() const override { return ready_; }
  bool IsClosing() const override { return closing_; }
  bool IsRecording() const { return recording_; }
  int64_t ServerClock() const { return server_clock_; }
  cWindow* Window() const { return window_.get(); }
  cTabArrangement& Arrangement() { return arrangement_; }

  // cAppMainWindow
  void Restore() override;
  void Hide() override;
  // Also cTabChildOwner's: the views report their entries the same way.
  [[nodiscard]] int32_t ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) override;
  void ForgetActivityItem(const CActivityItem* item) override;

  // cAnswerReceiver
  [[nodiscard]] int32_t AddSwitch(const SwitchRecord& record) override;
  [[nodiscard]] int32_t AddSensor(const SensorRecord& record) override;
  [[nodiscard]] int32_t AddMacro(const MacroRecord& record) override;
  [[nodiscard]] int32_t AddMode(const ModeRecord& record) override;
  [[nodiscard]] int32_t SetSwitchStatus(const StatusChangeRecord& record) override;
  [[nodiscard]] int32_t SetSensorStatus(const StatusChangeRecord& record) override;
  [[nodiscard]] int32_t SetMacroStatus(const MacroStatusRecord& record) override;
  [[nodiscard]] int32_t SetModeStatus(const ModeStatusRecord& record) override;
  [[nodiscard]] int32_t SetControlFileName(const swString& name) override;
  [[nodiscard]] int32_t SetClientQty(uint32_t quantity) override;
  [[nodiscard]] int32_t SetLightDark(uint16_t dark) override;
  [[nodiscard]] int32_t SetPauseState(uint16_t paused) override;
  [[nodiscard]] int32_t SetMuteState(uint16_t muted) override;
  [[nodiscard]] int32_t UpdateServerTime(int32_t time) override;
  [[nodiscard]] int32_t SetDawnDusk(uint32_t dawn, uint32_t dusk) override;
  [[nodiscard]] int32_t AddVideoSource(const VideoSourceRecord& record) override;
  [[nodiscard]] int32_t AddThumbnail(const ThumbnailRecord& record,
                                     const ThumbnailPicture& picture) override;
  // The connection is gone: the clock says "Not Connected", the client count 0 and the
  // title follows, at once.
  void ConnectionEnded() override;

  // cVideoViewOwner
  [[nodiscard]] int32_t SnapPicture(const char* source_name) override;
  [[nodiscard]] int32_t RecordToggle(const char* source_name) override;

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnResized(int32_t width, int32_t height) override;
  void OnContextMenu(int32_t control_id, cPoint screen_point) override;
  void OnHelp() override;
  void OnSystemCommand(int32_t command) override;

 private:
  void OnInitDialog();
  void SetWindowIcon();
  void LoadWebsitePicture();
  void RestoreWindowSize();
  void WriteWindowSize();
  // The setup dialog, and on OK the new connection and the saved client settings.
  void RunSetup();
  // The first requests of a new window, the setup when there is no automatic login, the
  // video views and the window's size, in the order the server and the user expect them.
  void RequestFirstAnswers(const cDeskSettings& settings);
  // "Store Passwords In Keyring" changed: every stored password moves to where the setting
  // now keeps them.
  void MovePasswords();
  void WriteClientSettings();
  // Hands a record of the lists to every view of `kind` through `take`. Before the window is
  // ready there are no views to show it in, so the record is declined.
  template <class Feed, class Record>
  [[nodiscard]] int32_t HandToListViews(int32_t kind, int32_t (Feed::*take)(const Record&),
                                        const Record& record);
  // Video refresh: video tabs removed and asked for again.
  [[nodiscard]] int32_t RefreshVideo();
  void ComposeTitle();
  void SetText(int32_t id, const char* text);
  void SetConnectionText(const swString& text);
  void ShowTraffic(const char* mark);
  bool Connected() const;
  // The requests after a new login, as Reconnect sends them.
  void RequestSessionFacts();
  // The video tabs, their views and the stored thumbnails go, and the sources and
  // thumbnails are asked for anew (a top video view is made again).
  void RenewVideo();
  // A decoded thumbnail into the video views of its source.
  void ShowThumbnail(const ThumbnailRecord& record, cBitmap& picture);
  // The server time label from HeardFromServer and the server clock.
  void ShowServerTime();
  // A command the user gave: as Send, but without a connection the failure is shown too
  // (kNotConnected), so the user always learns that it did not reach the server, and the
  // caller may drop the status.
  int32_t SendCommand(const char* failure,
                      const std::function<int32_t(cRemoteClientSocket*)>& send);
  // Sends on the current socket; a failure is shown as a "Connection is lost" entry with
  // `failure`. Without a connection nothing is sent (kNotConnected). The failure has been
  // reported when this returns, so callers that have nothing else to do may drop it.
  int32_t Send(const char* failure, const std::function<int32_t(cRemoteClientSocket*)>& send);

  // "Tray Icon Type" is not 0 and the frame has an icon in the tray (or there is no frame).
  bool CanHide() const;
  void OnExit();
  void OnCloseBox();
  void OnDayNight();
  void OnPauseMacros();
  void OnMute();
  void OnAddLogMessage();
  void OnServerTimeButton();
  // The send X10 code dialog, modally.
  void OnSendX10Code();
  // The product's web page in the browser; a box when no browser can be started.
  void OnWebsite();
  void NotAvailableYet();

  CHouseDeskApp& app_;
  cDeskDialogs dialogs_;
  std::unique_ptr<cWindow> window_;
  cTabArrangement arrangement_;
  std::unique_ptr<cThumbnailDecoder> thumbnail_decoder_;
  bool ready_ = false;
  bool initialising_ = false;
  bool closing_ = false;
  bool destroying_ = false;
  bool recording_ = false;
  bool showing_log_entry_ = false;
  int64_t server_clock_ = 0;
  swString connection_text_;
  swString traffic_text_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_HOUSE_DESK_DLG_H_
