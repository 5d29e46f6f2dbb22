#include "client/shell/app/house_desk_app.h"

#include <signal.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <string>
#include <utility>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/command_response.h"
#include "client/cmdfile/monitor_poll.h"
#include "client/cmdfile/settings_file.h"
#include "client/platform/clock.h"
#include "client/platform/event_loop.h"
#include "client/platform/password_store.h"
#include "client/platform/shell.h"
#include "client/platform/wake_events.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/session_services.h"
#include "client/shell/app/app_main_frame.h"
#include "client/shell/app/app_main_window.h"
#include "client/shell/app/app_window_factory.h"
#include "client/shell/app/help.h"
#include "client/shell/app/main_window_answer_relay.h"
#include "client/shell/app/program_folders.h"
#include "client/shell/app/termination_signals.h"
#include "client/shell/desk/shared_images.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/connect_failure.h"
#include "client/shell/setup/desk_settings.h"
#include "client/shell/setup/registry_words.h"
#include "client/shell/tray/desktop_notices.h"
#include "client/shell/tray/tray_favourites.h"
#include "client/ui/image_list.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "client/views/devices/item_view_requests.h"
#include "client/views/history/history_desk.h"
#include "client/views/tab_child_dlg.h"
#include "core/status.h"
#include "core/string/clock_text.h"

namespace hv {

namespace {

// "%m/%d/%Y" and "%I:%M:%S %p" of the local time, as entries made by the client carry them.
void StampEntry(const cClock& clock, LogItemRecord* entry) {
  const cLocalTime now = clock.LocalTime();
  const std::tm fields =
      CalendarFields(now.year, now.month, now.day, now.hour, now.minute, now.second);
  if (entry->date_text.GetLength() == 0)
    entry->date_text = FormatClockFields(fields, "%m/%d/%Y").c_str();
  if (entry->time_text.GetLength() == 0)
    entry->time_text = FormatClockFields(fields, "%I:%M:%S %p").c_str();
}

}  // namespace

CHouseDeskApp::CHouseDeskApp(const cAppEnvironment& environment)
    : environment_(environment),
      registry_words_(std::make_unique<cRegistryWords>()),
      settings_(std::make_unique<cClientSettings>()),
      desk_settings_(std::make_unique<cDeskSettings>(
          *registry_words_, *settings_, environment.password_store,
          [this] { return client_storage_.get(); }, this)),
      protocol_context_(std::make_unique<cProtocolContext>(*environment.clock)),
      command_file_poller_(std::make_unique<cCommandFilePoller>()) {
  notices_ = std::make_unique<cDesktopNotices>(
      *settings_, *environment.clock, environment.notifier, [this](const cDesktopNotice& notice) {
        return main_frame_ != nullptr && main_frame_->ShowBalloon(notice);
      });
  ProgramFolders folders = FindProgramFolders(environment.program_path);
  program_path_ = folders.program_path;
  program_directory_ = folders.program_directory;
  help_folder_ = folders.help_folder;
  data_folder_ = folders.data_folder;

  cEventLoop* loop = environment_.event_loop;
  // Waits inside the protocol keep the window working.
  protocol_context_->SetPauseHook([loop](uint32_t ms) { loop->Pump(ms); });

  favourites_ = std::make_unique<cTrayFavourites>();
  favourites_->SetSaveReport([this](const Status& saved) { desk_settings_->ReportSave(saved); });
  cAnswerRelayServices relay;
  relay.toolkit = environment.toolkit;
  relay.event_loop = loop;
  relay.shell = environment.shell;
  relay.settings = settings_.get();
  relay.favourites = favourites_.get();
  relay.notices = notices_.get();
  relay.log = this;
  relay.commands = this;
  answer_relay_ = std::make_unique<cMainWindowAnswerRelay>(relay);
  cSessionServices services;
  services.receiver = answer_relay_.get();
  services.activity_log = this;
  services.shell = environment_.shell;
  services.event_loop = environment_.event_loop;
  services.data_folder = data_folder_;
  connection_ = std::make_unique<cServerConnection>(*protocol_context_, services);
  answer_relay_->AttachConnection(connection_.get());
  item_requests_ = std::make_unique<cConnectionItemViewRequests>(*connection_);

  activity_items_.SetForgetHook([this](const CActivityItem* item) {
    if (main_window_ != nullptr) main_window_->ForgetActivityItem(item);
  });
}

CHouseDeskApp::~CHouseDeskApp() {
  ExitInstance();
  // The connection goes while everything it may report to is still whole.
  connection_.reset();
}

cAnswerReceiver& CHouseDeskApp::AnswerRelay() { return *answer_relay_; }

void CHouseDeskApp::SetHistory(hv::history::HistoryDesk* history) {
  history_ = history;
  answer_relay_->SetHistory(history != nullptr ? &history->Observer() : nullptr);
  ApplyHistorySettings();
}

void CHouseDeskApp::ApplyHistorySettings() {
  if (history_ == nullptr) return;
  hv::history::HistorySettings history;
  history.record = settings_->record_history == 1;
  history.limits.keep_days =
      static_cast<int>(std::clamp<uint32_t>(settings_->keep_history_days, 1, 36500));
  history.limits.max_bytes =
      static_cast<int64_t>(std::max<uint32_t>(settings_->history_size_mb, 1)) * 1024 * 1024;
  history_->Apply(history);
}

void CHouseDeskApp::OpenHistory() {
  if (history_ != nullptr) history_->OpenWindow(nullptr);
}

void CHouseDeskApp::MakeClientStorage() {
  if (LoadClientStorage(nullptr, nullptr).ok() && client_storage_ != nullptr) return;
  auto storage = std::make_unique<cClientStorage>();
  if (!storage->Initialise().ok()) return;
  client_storage_ = std::move(storage);
}

bool CHouseDeskApp::InitInstance() {
  if (flags_.started) return false;
  flags_.started = true;
  flags_.starting = true;
  struct StartingEnds {
    bool& flag;
    ~StartingEnds() { flag = false; }
  } starting_ends{flags_.starting};
  EnterDataFolder(data_folder_);
  *registry_words_ = ChooseRegistryWords();
  shared_images_ = MakeSharedImageList(Toolkit());
  MakeClientStorage();
  if (client_storage_ == nullptr) return false;
  ReadClientSettings(*registry_words_, settings_.get());
  ApplyHistorySettings();
  favourites_->Load(registry_words_->Company(), registry_words_->Application());
  if (settings_->store_passwords_in_keyring == 1) {
    if (cPasswordStore* keyring = desk_settings_->Keyring()) {
      ReadKeyringPasswords(*registry_words_, keyring, settings_.get());
    } else {
      // Stored, so that it is still there when the window opens.
      AddLogEntryOrDrop(
          *this,
          MakeClientEntry(kEntryError, 0, 0, "Keyring",
                          "The desktop keyring does not answer, so the passwords kept in it "
                          "cannot be read; the passwords in the settings are used instead."),
          true, true);
    }
  }
  AutomaticLogin();

  if (environment_.windows != nullptr) {
    main_frame_ = environment_.windows->CreateMainFrame(*this);
    if (main_frame_ == nullptr) return false;
    OpenMainWindow().Ignore(
        "without a main window the program still runs in the tray, and the tray's Open tries "
        "again");
    if (environment_.wake_events != nullptr) {
      environment_.wake_events->SetHandler([this](eWakeReason) {
        if (main_frame_ != nullptr) main_frame_->ComputerWoke();
      });
    }
  }
  // Asked to end while start-up was still running (a signal during the setup dialog): the
  // loop that would have ended is not running yet, so end here, through the normal end.
  return !flags_.exit_requested;
}

void CHouseDeskApp::AutomaticLogin() {
  cClientSettings& s = *settings_;
  if (s.auto_login != 1) return;
  s.address = s.login_address;
  s.port = s.login_port;
  s.user_name = s.login_user_name;
  s.password = s.login_password;
  if (s.address.GetLength() == 0) return;
  const Status connected = connection_->Connect(s.address.CStr(), static_cast<uint32_t>(s.port),
                                                s.user_name.CStr(), s.password.CStr());
  if (!connected.failed()) return;
  hv::ShowUnableToConnect(Toolkit(), s, *connection_, nullptr);
}

void CHouseDeskApp::LeaveServer() {
  // The server sees the user leave (Logoff, then Goodbye) instead of a dropped socket.
  if (connection_ != nullptr && connection_->IsConnected())
    connection_->Disconnect().Ignore("the program is leaving; a dead connection is left already");
}

void CHouseDeskApp::ExitInstance() {
  if (flags_.ended) return;
  flags_.ended = true;
  // The signal watch stays until this object goes: a second SIGTERM while writing is absorbed.
  if (environment_.wake_events != nullptr) environment_.wake_events->SetHandler({});
  LeaveServer();
  shared_images_.reset();

  if (client_storage_ != nullptr) {
    swString path;
    const Status saved = SaveClientStorage(nullptr, &path);
    if (saved.failed()) {
      swString text;
      text.Format("Some of the settings could not be saved to file %s", path.CStr());
      // What the system said (a full disk, no permission) is what the user can act on.
      if (!saved.message().empty()) text.Append(("\n\nReason: " + saved.message()).c_str());
      Toolkit().MessageBox().Show(text.CStr(), "Unable to save settings", cMessageBoxIcon::kWarning,
                                  cMessageBoxButtons::kOk, nullptr);
    }
    client_storage_.reset();
  }

  // The window first: its destruction still reads the frame and the stored entries.
  main_window_.reset();
  main_frame_.reset();
  activity_items_.Clear();
  video_thumbnails_.Clear();
}

Status CHouseDeskApp::LoadClientStorage(const char* path, swString* used_path) {
  return hv::LoadClientStorage(path, &client_storage_, used_path);
}

Status CHouseDeskApp::SaveClientStorage(const char* path, swString* used_path) {
  if (client_storage_ == nullptr) {
    if (used_path != nullptr) *used_path = path != nullptr && *path ? path : DefaultSettingsPath();
    return Status(Where::kSettings, hv::kMissingArgument);
  }
  return hv::SaveClientStorage(path, *client_storage_, used_path);
}

Status CHouseDeskApp::OpenMainWindow() {
  if (main_window_ != nullptr) {
    main_window_->Restore();
    return Status::Ok();
  }
  if (environment_.windows != nullptr) main_window_ = environment_.windows->CreateMainWindow(*this);
  if (main_window_ == nullptr) {
    return Status(Where::kUi, hv::kOutOfMemory, "the main window could not be made");
  }
  return Status::Ok();
}

void CHouseDeskApp::HideMainWindow() {
  if (main_window_ != nullptr) main_window_->Hide();
}

Status CHouseDeskApp::AddLogEntry(const LogItemRecord& entry, bool store, bool show) {
  if (show) notices_->ClientEntry(entry);
  if (history_ != nullptr) history_->ClientEntryAdded(entry);
  return StoreLogEntry(entry, store, show);
}

Status CHouseDeskApp::AddServerLogItem(const LogItemRecord& entry) {
  notices_->ServerLogItem(entry, connection_->Socket());
  return StoreLogEntry(entry, true, true);
}

Status CHouseDeskApp::StoreLogEntry(const LogItemRecord& entry, bool store, bool show) {
  // 0 means no limit, as the log views take it; otherwise every entry but the newest would
  // be dropped, and Restore would bring back one.
  const uint32_t cap = static_cast<uint32_t>(settings_->max_log_entries);
  if (cap != 0 && activity_items_.Count() >= cap) activity_items_.RemoveOldest();

  LogItemRecord stamped = entry;
  StampEntry(Clock(), &stamped);
  CActivityItem* item = nullptr;
  if (store) {
    item = activity_items_.Append(stamped, show ? 1 : 0);
  }
  if (show && main_window_ != nullptr) {
    // Showing is the last step: a view that could not show the entry has nowhere better to
    // report that, and a stored entry is still there for the next rebuild of the views.
    main_window_->ShowLogEntry(stamped, item)
        .Ignore("the stored entry comes back with the next rebuild of the views");
  }
  if (main_frame_ != nullptr) main_frame_->StartFlash();
  return Status::Ok();
}

Status CHouseDeskApp::ShowLogEntry(const LogItemRecord& entry) {
  notices_->ClientEntry(entry);
  // Shown, never kept in the list; yet what the user saw belongs in the house's history.
  if (history_ != nullptr) history_->ClientEntryAdded(entry);
  if (main_window_ == nullptr) return Status::Declined(Where::kUi);
  return main_window_->ShowLogEntry(entry, nullptr);
}

Status CHouseDeskApp::RunFavourite(int32_t command) {
  if (!connection_->IsConnected()) return Status::Declined(Where::kUi);
  return favourites_->RunCommand(command, *item_requests_, [this](const char* message) {
    ShowLogEntryOrDrop(*this, MakeClientError(kConnectionLostName, message));
  });
}

Status CHouseDeskApp::PollCommandFileMonitor() {
  cMonitorCommandFile* monitor = client_storage_ != nullptr ? client_storage_->Monitor() : nullptr;
  if (monitor == nullptr || monitor->enabled != 1) return Status::Declined(Where::kCommandFile);
  return command_file_poller_->Poll(CommandFileWatchOf(*monitor), connection_->Socket(), this);
}

Status CHouseDeskApp::StoreCommandResponse(const swString& received_name, const char* stored_path) {
  cMonitorCommandFile* monitor = client_storage_ != nullptr ? client_storage_->Monitor() : nullptr;
  swString configured = monitor != nullptr ? monitor->response_file_name : swString();
  Status placed = PlaceCommandResponse(received_name, stored_path, configured, nullptr);
  if (placed.failed()) {
    swString text;
    text.Format("Unable to write the command response to %s (%s); it was kept as %s",
                configured.CStr(), placed.message().c_str(), stored_path);
    AddLogEntryOrDrop(*this, MakeClientError("Command response", text.CStr()), true, true);
  }
  return placed;
}

Status CHouseDeskApp::ShowHelp(eHelpRequest kind, uint32_t context_id) {
  // Pages live in the browser: there is nothing to close.
  if (kind == eHelpRequest::kClose) return Status::Declined(Where::kUi);
  return ShowHelpTopic(Toolkit(), Shell(), help_folder_,
                       kind == eHelpRequest::kContext ? context_id : 0);
}

void CHouseDeskApp::ShowAbout() {
  if (flags_.about_open) return;
  flags_.about_open = true;
  Toolkit().MessageBox().Show(
      "Varnholt (TM) Client\r\n\r\nControls your house through your home-automation server.",
      "About Varnholt (TM)", cMessageBoxIcon::kInformation, cMessageBoxButtons::kOk, nullptr);
  flags_.about_open = false;
}

bool CHouseDeskApp::ConnectionBusy() const {
  const cRemoteClientSocket* socket = connection_ != nullptr ? connection_->Socket() : nullptr;
  return socket != nullptr && socket->InUse();
}

void CHouseDeskApp::RequestExit() {
  flags_.exit_requested = true;
  if (main_frame_ != nullptr) {
    main_frame_->Exit();
  } else if (environment_.quit) {
    if (ConnectionBusy()) LeaveServer();  // as the frame's Exit does
    environment_.quit();
  }
}

Status CHouseDeskApp::WatchTerminationSignals() {
  if (termination_signals_ != nullptr) return Status::Ok();
  auto signals = std::make_unique<cTerminationSignals>(EventLoop());
  Status started =
      signals->Start([this](int signal_number) { OnTerminationSignal(signal_number); });
  if (!started.ok()) return started;
  termination_signals_ = std::move(signals);
  return Status::Ok();
}

void CHouseDeskApp::OnTerminationSignal(int signal_number) {
  if (flags_.ended) return;  // already on the way out
  if (!flags_.starting) {
    RequestExit();
    return;
  }
  // Start-up waits in a loop of its own (the setup dialog) that nothing here can end. Only the
  // client storage and the history's queued batch can be unsaved yet: keep them, end at once.
  if (client_storage_ != nullptr) {
    SaveClientStorage(nullptr, nullptr)
        .Ignore(
            "the program ends at once on the signal: no box can be shown any more, and the "
            "file on disk is whole either way");
  }
  LeaveServer();
  if (history_ != nullptr) history_->Flush();
  flags_.exit_requested = true;
  if (environment_.end_process) {
    environment_.end_process(signal_number);
    return;
  }
  termination_signals_.reset();  // the previous (default) handlers come back
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

}  // namespace hv
