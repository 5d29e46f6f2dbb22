// CHouseDeskApp: the application object. One exists for the whole run of the program (a test
// may make and destroy several in turn: nothing it holds is global). It owns
//   - the settings of "Client Settings" (cClientSettings) and the registry words fixed at
//     start (cRegistryWords),
//   - the protocol context (flags, HeardFromServer) and the one cServerConnection,
//   - the client storage (cClientStorage with its command file monitor), read from the
//     settings file at start and written back at the end,
//   - the stored activity entries (CActivityItemList, capped at "Max Log Entries") and the
//     stored video thumbnails (cVideoThumbnailList),
//   - the shared image list of the list views (14 images of 20 x 16),
//   - the tray favourites (cTrayFavourites) with the statuses the server reports,
//   - the hidden main frame and the main window, made through the cAppWindowFactory,
//   - the main window's settings and where passwords are kept (cDeskSettings),
//   - the program-wide flags (cProgramFlags).
// It borrows, for its whole life, the toolkit, clock, event loop and shell it is given.
//
// Life: construct, InitInstance (start-up; false means end the program now), run the event
// loop, destroy (or ExitInstance, then destroy): the settings file is written, the main
// window and frame are destroyed, every stored entry and thumbnail is freed.
//
// Everything runs on the event loop's one thread.
#ifndef HV_CLIENT_SHELL_APP_HOUSE_DESK_APP_H_
#define HV_CLIENT_SHELL_APP_HOUSE_DESK_APP_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/protocol/activity_log.h"
#include "client/protocol/log_item_record.h"
#include "client/shell/app/frame_services.h"
#include "client/shell/app/main_window_answer_relay.h"
#include "client/shell/app/program_flags.h"
#include "client/shell/desk/desk_services.h"
#include "client/views/log/activity_items.h"
#include "client/views/video/video_thumbnails.h"
#include "core/string/sw_string.h"

namespace hv {

namespace history {
class HistoryDesk;
}  // namespace history
class cAppMainFrame;
class cAppMainWindow;
class cAppWindowFactory;
class cAnswerReceiver;
class cClientSettings;
class cClientStorage;
class cClock;
class cCommandFilePoller;
class cEventLoop;
class cImageList;
class cItemViewRequests;
class cProtocolContext;
class cRegistryWords;
class cServerConnection;
class cShell;
class cTerminationSignals;
class cToolkit;
class cTrayFavourites;
class cWakeEvents;
class cDesktopNotifier;
class cDeskSettings;
class cPasswordStore;
class cDesktopNotices;

// What the application is given. The pointed-to objects are not owned and must outlive it.
struct cAppEnvironment {
  // The parts every application needs; the optional ones below are set where they are wanted.
  cAppEnvironment(cToolkit& toolkit, cClock& clock, cEventLoop& event_loop, cShell& shell,
                  cAppWindowFactory* windows)
      : toolkit(&toolkit),
        clock(&clock),
        event_loop(&event_loop),
        shell(&shell),
        windows(windows) {}

  cToolkit* toolkit;
  cClock* clock;
  cEventLoop* event_loop;
  cShell* shell;               // help pages, received pictures
  cAppWindowFactory* windows;  // null: no frame and no main window (tests)
  // The running program file; empty means the one /proc/self/exe names. The help pages are
  // looked for in <program directory>/../share/hearthview/help.
  std::string program_path;
  // Ends the event loop when there is no main frame to do it (windowless runs). Optional.
  std::function<void()> quit;
  // Ends the process at once with the signal's own ending. A termination signal that comes
  // while start-up is still running (a modal setup dialog has its own loop, which the frame
  // cannot end yet) ends the program this way, after the settings file has been written.
  // Empty: the signal's default action. Tests record it instead.
  std::function<void(int signal_number)> end_process;
  // Reports the computer's wakes (resume, network back) to the main frame. Optional.
  cWakeEvents* wake_events = nullptr;
  // The desktop's notification service ("Desktop Notifications"). Optional: without one,
  // notices go to the tray icon's balloon.
  cDesktopNotifier* notifier = nullptr;
  // The desktop's keyring ("Store Passwords In Keyring"). Optional: without one, passwords
  // stay in the registry store.
  cPasswordStore* password_store = nullptr;
  // Threads that decode the thumbnails the server sends. 0 decodes each one as it arrives,
  // on the event loop's thread (tests; the program gives one for each core but one).
  uint32_t thumbnail_decode_threads = 0;
};

// Kinds of help request, as the toolkit reports them.
enum class eHelpRequest { kContext, kClose, kIndex, kDefault };

class CHouseDeskApp : public cActivityLog,
                      public cFrameCommands,
                      public cDeskCommands,
                      public cAnswerRelayCommands {
 public:
  explicit CHouseDeskApp(const cAppEnvironment& environment);
  CHouseDeskApp(const CHouseDeskApp&) = delete;
  CHouseDeskApp& operator=(const CHouseDeskApp&) = delete;
  // Runs ExitInstance when it has not run yet.
  ~CHouseDeskApp() override;

  // Start-up: the data folder $XDG_DATA_HOME/Varnholt is created and made current, the
  // registry words are fixed, the image list is filled, the settings file is loaded (or a
  // fresh client storage initialised), "Client Settings" are read, the automatic login is
  // made (a failure shows "Unable to Connect" and start-up goes on), then the main frame
  // and the main window are made. False when the program must end at once (no client
  // storage, no main frame, or RequestExit during start-up). Call once.
  [[nodiscard]] bool InitInstance();
  // The end of the program: a connection is ended with Logoff and Goodbye, the settings
  // file is written ("Unable to save settings" when
  // that fails), the main window, the frame and the connection are let go of, the stored
  // entries and thumbnails freed. Runs once; later calls do nothing.
  void ExitInstance();

  // The settings file. An empty or null path means the default one
  // ($XDG_CONFIG_HOME/Varnholt/VHClientSettings.txt); *used_path (optional) receives the path
  // actually used. Load replaces the current client storage on success, keeps it when the
  // file cannot be opened, and leaves none when the file was opened but could not be read.
  // Save writes atomically. Ok or the settings file's status.
  [[nodiscard]] Status LoadClientStorage(const char* path, swString* used_path);
  [[nodiscard]] Status SaveClientStorage(const char* path, swString* used_path);

  // Creates the main window when there is none (ok, or kOutOfMemory when it cannot be made),
  // otherwise restores it (ok). HideMainWindow only hides it.
  [[nodiscard]] Status OpenMainWindow() override;
  void HideMainWindow() override;

  // cActivityLog. AddLogEntry: when the stored list already holds "Max Log Entries" or more,
  // the oldest is freed (one per call); with `store` the entry is stamped with the local date
  // and time when it has none and appended; with `show` and a main window it is shown with
  // the new item; a main frame restarts its flashing. Always ok.
  [[nodiscard]] Status AddLogEntry(const LogItemRecord& entry, bool store, bool show) override;
  // Shows through the main window; declined when there is none.
  [[nodiscard]] Status ShowLogEntry(const LogItemRecord& entry) override;
  // A Log item from the server: AddLogEntry with both flags, told to the desktop as the
  // server's (its history at each connection is not).
  [[nodiscard]] Status AddServerLogItem(const LogItemRecord& entry) override;
  // The main window's settings and where the passwords are kept.
  cDeskSettings& DeskSettings() { return *desk_settings_; }

  // One poll of the command file monitor (the frame's timer asks for it) when the client
  // storage holds an enabled one. Declined when there is nothing to do; else the poll's
  // status. The poll shows what it gives up on as Error entries; a file it cannot read yet
  // is tried again on the next tick.
  [[nodiscard]] Status PollCommandFileMonitor() override;
  // A Command response has been written to stored_path (in the data folder). When the
  // received name's file part equals the file part of the monitor's response file name,
  // the response is copied to that configured path. Ok, declined when it stays in the data
  // folder, or a failure (also shown as an Error entry).
  [[nodiscard]] Status StoreCommandResponse(const swString& received_name,
                                            const char* stored_path) override;

  // Help: a context request opens the help page of that topic (ids above 0x20000 are
  // reduced by 0x20000 first); index and default requests open the contents page; close
  // does nothing (pages open in the user's browser) and is declined. Ok, or the shell's
  // failure, which the user has been shown in a message box.
  [[nodiscard]] Status ShowHelp(eHelpRequest kind, uint32_t context_id);
  [[nodiscard]] Status ShowHelp(uint32_t context_id) override {
    return ShowHelp(eHelpRequest::kContext, context_id);
  }

  // The about box, modally; a second request while it is open is ignored.
  void ShowAbout() override;

  // Ends the program through its normal end path: the frame's Exit when there is a frame,
  // otherwise the environment's quit. Used by the termination signals.
  void RequestExit();
  // True once the program is ending: an exit was asked for, or ExitInstance has begun.
  // Nothing should open a box then, as the loop that would close it has ended.
  bool IsEnding() const override { return flags_.exit_requested || flags_.ended; }
  // True while the connection's socket is being read or written. Those waits run the event
  // loop, and a modal box opened from there would hold the socket up until it is closed.
  bool ConnectionBusy() const override;
  // Logs off when connected, without waiting on the server; a wait on the socket further up
  // the stack ends at once.
  void LeaveServer() override;
  // SIGTERM and SIGINT from now on call RequestExit from the event loop (never from inside
  // the signal handler). Ok, or kCannotOpenFile when the signals cannot be watched. The
  // program's main() calls it before InitInstance, so that a signal during start-up (the
  // setup dialog may be open) still writes the settings file (see end_process). Tests that
  // do not want signal handling leave it alone.
  [[nodiscard]] Status WatchTerminationSignals();

  // The switches and macros marked for the tray menu, read at start-up.
  cTrayFavourites& Favourites() { return *favourites_; }
  // The tray menu command of a favourite: switches it (a failed send is shown as an Error
  // entry). Declined when the command names no favourite or there is no connection.
  Status RunFavourite(int32_t command) override;

  // The program-wide flags (the busy flag of the frame's timer work among them).
  hv::cProgramFlags& Flags() { return flags_; }
  bool AppBusy() const { return flags_.app_busy; }
  void SetAppBusy(bool busy) { flags_.app_busy = busy; }

  cClientSettings& Settings() { return *settings_; }
  // The house's history, made by the program after this object (null: none, as in tests):
  // the answers feed it, the main window and the tray open its window.
  void SetHistory(hv::history::HistoryDesk* history);
  hv::history::HistoryDesk* History() const { return history_; }
  // Opens the History window (nothing without a history).
  void OpenHistory() override;
  // Hands "Record History", "Keep History" and "History Size Limit" to the history.
  void ApplyHistorySettings() override;
  const cRegistryWords& RegistryWords() const { return *registry_words_; }
  cProtocolContext& ProtocolContext() { return *protocol_context_; }
  cServerConnection& Connection() { return *connection_; }
  // Null before start-up has made one, and after the end.
  cClientStorage* ClientStorage() { return client_storage_.get(); }
  CActivityItemList& ActivityItems() { return activity_items_; }
  cVideoThumbnailList& VideoThumbnails() { return video_thumbnails_; }
  // Null until start-up has filled it.
  cImageList* SharedImages() { return shared_images_.get(); }
  cAppMainWindow* MainWindow() override { return main_window_.get(); }
  cAppMainFrame* MainFrame() override { return main_frame_.get(); }
  // Relays answers to the main window when it exists; the connection's receiver.
  cAnswerReceiver& AnswerRelay();

  cToolkit& Toolkit() { return *environment_.toolkit; }
  cClock& Clock() { return *environment_.clock; }
  cEventLoop& EventLoop() { return *environment_.event_loop; }
  cShell& Shell() { return *environment_.shell; }
  uint32_t ThumbnailDecodeThreads() const { return environment_.thumbnail_decode_threads; }

  const swString& ProgramPath() const { return program_path_; }
  const swString& ProgramDirectory() const { return program_directory_; }
  // Where received files and command responses go: $XDG_DATA_HOME/Varnholt.
  const swString& DataFolder() const { return data_folder_; }

 private:
  void MakeClientStorage();
  void AutomaticLogin();
  void OnTerminationSignal(int signal_number);
  [[nodiscard]] Status StoreLogEntry(const LogItemRecord& entry, bool store, bool show);

  cAppEnvironment environment_;
  swString program_path_;
  swString program_directory_;
  swString data_folder_;
  swString help_folder_;

  std::unique_ptr<cRegistryWords> registry_words_;
  std::unique_ptr<cClientSettings> settings_;
  std::unique_ptr<cDeskSettings> desk_settings_;
  std::unique_ptr<cProtocolContext> protocol_context_;
  std::unique_ptr<cMainWindowAnswerRelay> answer_relay_;
  hv::history::HistoryDesk* history_ = nullptr;
  std::unique_ptr<cServerConnection> connection_;
  std::unique_ptr<cItemViewRequests> item_requests_;
  std::unique_ptr<cTrayFavourites> favourites_;
  std::unique_ptr<cClientStorage> client_storage_;
  std::unique_ptr<cCommandFilePoller> command_file_poller_;
  CActivityItemList activity_items_;
  cVideoThumbnailList video_thumbnails_;
  std::unique_ptr<cImageList> shared_images_;
  std::unique_ptr<cAppMainFrame> main_frame_;
  std::unique_ptr<cAppMainWindow> main_window_;
  std::unique_ptr<cTerminationSignals> termination_signals_;
  std::unique_ptr<cDesktopNotices> notices_;

  hv::cProgramFlags flags_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_HOUSE_DESK_APP_H_
