// cDeskSession: the main window's side of the connection. It logs in again when asked
// (Reconnect), asks for what a new session must show, sends the window's commands, and takes
// the server's answers to the views and to the window's labels (client count, day or night,
// pause and mute, server clock, dawn and dusk, connection text and title). It is also what the
// views report to: their activity entries, snapshots and recordings.
//
// The window owns exactly one, made with the window and closed (Close) before the window
// takes its views down, so answers that arrive during the window's end find a session that
// declines them instead of views that are going. Everything runs on the event loop's thread.
#ifndef HV_CLIENT_SHELL_DESK_DESK_SESSION_H_
#define HV_CLIENT_SHELL_DESK_DESK_SESSION_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>

#include "client/protocol/answer_receiver.h"
#include "client/views/tab_child_owner.h"
#include "client/views/video/video_view_owner.h"
#include "core/string/sw_string.h"

namespace hv {

class CActivityItemList;
class cActivityLog;
class cBitmap;
class cClientSettings;
class cEventLoop;
class cProtocolContext;
class cRemoteClientSocket;
class cServerConnection;
class cTabArrangement;
class cThumbnailDecoder;
class cVideoThumbnailList;
class cWindow;

struct cProgramFlags;

// What the session works with. The pointed-to objects are not owned and outlive it.
struct cDeskSessionServices {
  cServerConnection* connection = nullptr;
  cProtocolContext* context = nullptr;
  // Where failed sends and the views' entries are reported.
  cActivityLog* log = nullptr;
  cClientSettings* settings = nullptr;
  CActivityItemList* activity_items = nullptr;
  cVideoThumbnailList* thumbnails = nullptr;
  cEventLoop* event_loop = nullptr;
  // 0 decodes each thumbnail as it arrives.
  uint32_t thumbnail_decode_threads = 0;
  // The program's flags (the re-entry guard of showing entries).
  cProgramFlags* flags = nullptr;
  // A new activity entry was shown: the tray icon flashes. Optional.
  std::function<void()> entry_shown;
  // A view could not save its own settings: told as the window's saves are. Optional.
  std::function<void(const Status& failure)> settings_not_saved;
};

// Where the window is in its life, as the answers see it.
enum class eDeskPhase { kInitialising, kReady, kClosed };

// Where a server clock step comes from.
enum class eClockUpdate { kAnswer, kTick };

class cDeskSession : public cAnswerReceiver, public cTabChildOwner, public cVideoViewOwner {
 public:
  // `views` may still be under construction: it is used from the first call on.
  cDeskSession(const cDeskSessionServices& services, cTabArrangement& views);
  ~cDeskSession() override;
  cDeskSession(const cDeskSession&) = delete;
  cDeskSession& operator=(const cDeskSession&) = delete;

  // The window whose labels and title the answers set; null until it has been made.
  void AttachWindow(cWindow* window) { window_ = window; }
  void SetPhase(eDeskPhase phase) { phase_ = phase; }
  bool IsReady() const { return phase_ == eDeskPhase::kReady; }
  // The window is going: answers and pictures still on their way are declined from now on,
  // and nothing is reported to it any more. Later calls do nothing.
  void Close();

  bool Connected() const;
  // A new login when there is an address, then every list emptied and asked for again, and
  // (once the window is initialised) everything else a start asks for. Ok, or the failed
  // connection's status (then nothing else changes).
  [[nodiscard]] Status Reconnect();
  // Sends on the current socket; a failure is shown as a "Connection is lost" entry with
  // `failure`. Without a connection nothing is sent (kNotConnected). The failure has been
  // reported when this returns, so callers that have nothing else to do may let it go.
  [[nodiscard]] Status Send(const char* failure,
                            const std::function<Status(cRemoteClientSocket*)>& send);
  // A command the user gave: as Send, but without a connection the failure is shown too.
  [[nodiscard]] Status SendCommand(const char* failure,
                                   const std::function<Status(cRemoteClientSocket*)>& send);
  // Every list view asks for its items.
  void RequestListItems();
  // Video refresh: video tabs removed, sources and thumbnails asked for again, the video
  // views' states restored. Ok, or the first view's failure.
  [[nodiscard]] Status RefreshVideo();

  // The server clock: an answer sets it, a tick advances a known clock by one second; the
  // label then shows it (or why it cannot).
  void UpdateServerTime(int32_t time, eClockUpdate mode);
  void ForgetServerClock() { server_clock_ = 0; }
  int64_t ServerClock() const { return server_clock_; }
  bool IsRecording() const { return recording_; }

  // The connection text from the current address and port (and the server's control file
  // when it has named one), and the title that follows it.
  void ShowConnectionText(const swString& control_file = swString());
  void ComposeTitle();

  // cTabChildOwner
  [[nodiscard]] Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) override;
  void SettingsNotSaved(const Status& failure) override;
  void ForgetActivityItem(const CActivityItem* item);

  // cVideoViewOwner
  [[nodiscard]] Status SnapPicture(const char* source_name) override;
  [[nodiscard]] Status RecordToggle(const char* source_name) override;

  // cAnswerReceiver: items and statuses to the list views, server facts to the window's
  // labels, video sources and thumbnails to the video views. Until the window is ready the
  // lists and labels decline, and once it has closed every kind but the server's time does
  // (the clock is kept). Log items, command
  // responses and what the desktop shows are the application's: the session declines them.
  // The end of the connection sets the clock to "Not Connected", the client count to 0 and
  // the title, at once.
  [[nodiscard]] Status Receive(const Answer& answer) override;

 private:
  // Hands a record of the lists to every view whose feed is Feed, through `take`. Before the
  // window is ready there are no views to show it in, so the record is declined.
  template <class Feed, class Record>
  [[nodiscard]] Status HandToListViews(Status (Feed::*take)(const Record&),
                                       const std::type_identity_t<Record>& record);
  // A label of the window from a server fact; declined before the window is ready.
  [[nodiscard]] Status ShowFact(int32_t id, const char* text);
  [[nodiscard]] Status ShowFactCheck(int32_t id, uint16_t on);
  [[nodiscard]] Status AddThumbnail(const ThumbnailAnswer& answer);
  void ShowConnectionEnded();
  // The requests after a new login, as Reconnect sends them.
  void RequestSessionFacts();
  // The video tabs, their views and the stored thumbnails go, and the sources and
  // thumbnails are asked for anew (a top video view is made again).
  void RenewVideo();
  void RequestVideo();
  // A decoded thumbnail into the video views of its source.
  void ShowThumbnail(const ThumbnailRecord& record, cBitmap& picture);
  void ShowServerTime();
  void ShowTraffic(const char* mark);
  void SetText(int32_t id, const char* text);
  void SetCheck(int32_t id, uint16_t on);

  cDeskSessionServices services_;
  cTabArrangement& views_;
  cWindow* window_ = nullptr;
  std::unique_ptr<cThumbnailDecoder> thumbnail_decoder_;
  eDeskPhase phase_ = eDeskPhase::kInitialising;
  bool recording_ = false;
  int64_t server_clock_ = 0;
  swString connection_text_;
  swString traffic_text_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_DESK_SESSION_H_
