#include "client/shell/desk/house_desk_dlg.h"

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/platform/event_loop.h"
#include "client/platform/settings_writer.h"
#include "client/platform/shell.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/shell/app/app_main_frame.h"
#include "client/shell/app/help.h"
#include "client/shell/app/program_flags.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/desk/shared_images.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/connect_failure.h"
#include "client/shell/setup/desk_settings.h"
#include "client/shell/setup/desk_setup.h"
#include "client/shell/setup/registry_words.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "client/views/dialogs/dlg_adv_x10_send.h"
#include "client/views/log/activity_items.h"
#include "client/views/view_feeds.h"
#include "core/status.h"
#include "core/string/path_name.h"

namespace hv {

namespace {

// How many passes of pending events the destruction drains, so that nothing queued for
// the window runs after it is gone.
constexpr int kDrainPasses = 100;

constexpr const char* kPauseQuestion =
    "Are you sure you want to pause macros?  This will stop ALL macro activity until "
    "unpaused!";

// A help page that does not open has been explained to the user in a message box already.
void OpenHelp(cDeskCommands& commands, uint32_t context_id) {
  commands.ShowHelp(context_id).Ignore("the user has been shown why the page did not open");
}

}  // namespace

CHouseDeskDlg::CHouseDeskDlg(const cDeskServices& services, cViewFactory& factory,
                             cDeskDialogs dialogs)
    : services_(services),
      dialogs_(std::move(dialogs)),
      session_(std::make_unique<hv::cDeskSession>(
          hv::cDeskSessionServices{
              .connection = services.connection,
              .context = services.protocol_context,
              .log = services.log,
              .settings = services.settings,
              .activity_items = services.activity_items,
              .thumbnails = services.thumbnails,
              .event_loop = services.event_loop,
              .thumbnail_decode_threads = services.thumbnail_decode_threads,
              .flags = services.flags,
              .entry_shown =
                  [commands = services.commands] {
                    if (cAppMainFrame* frame = commands->MainFrame()) frame->StartFlash();
                  },
              .settings_not_saved = [desk = services.desk_settings](
                                        const Status& failure) { desk->ReportSave(failure); }},
          arrangement_)),
      arrangement_(*services.toolkit, factory, session_.get()) {
  arrangement_.Views().SetRetirement(services.event_loop);  // a view outlives its waiting send
}

CHouseDeskDlg::~CHouseDeskDlg() {
  session_->Close();
  arrangement_.ForEachList(true, [](cListViewFeed& list) { list.EmptyList(); });
  {
    // The views save their settings as they close, in one transaction, not a commit each:
    // the one save the user hears of when the store refuses it.
    cSettingsWriter views_saved(services_.registry_words->Company(),
                                services_.registry_words->Application());
    arrangement_.Views().ForEach([](cTabChildDlg& view) { view.CloseChild(0); });
    services_.desk_settings->ReportSave(views_saved.Finish());
  }
  for (int pass = 0; pass < kDrainPasses; ++pass) services_.event_loop->Pump(0);
  arrangement_.Views().SetRetirement(nullptr);  // retired views go with their host window
  arrangement_.Detach();
  if (window_ != nullptr) {
    WriteWindowSize();
    window_->SetEvents(nullptr);
  }
}

Status CHouseDeskDlg::Create() {
  window_ = services_.toolkit->CreateTopLevelWindow(HouseDeskLayout(), nullptr);
  if (window_ == nullptr) {
    return Status(Where::kUi, hv::kOutOfMemory, "the main window could not be made");
  }
  window_->SetEvents(this);
  session_->AttachWindow(window_.get());
  OnInitDialog();
  window_->Show(true);
  return Status::Ok();
}

cAnswerReceiver& CHouseDeskDlg::Answers() { return *session_; }
bool CHouseDeskDlg::IsReady() const { return session_->IsReady(); }
bool CHouseDeskDlg::Connected() const { return session_->Connected(); }
Status CHouseDeskDlg::Reconnect() { return session_->Reconnect(); }
void CHouseDeskDlg::StepServerClock() { session_->UpdateServerTime(0, hv::eClockUpdate::kTick); }

Status CHouseDeskDlg::ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) {
  return session_->ShowLogEntry(entry, item);
}

void CHouseDeskDlg::ForgetActivityItem(const CActivityItem* item) {
  session_->ForgetActivityItem(item);
}

void CHouseDeskDlg::SetText(int32_t id, const char* text) {
  if (window_ == nullptr) return;
  if (cControl* control = window_->Control(id)) control->SetText(text);
}

void CHouseDeskDlg::OnInitDialog() {
  session_->SetPhase(hv::eDeskPhase::kInitialising);
  // The options from "Main Window" and the first texts, the about entry and the icon.
  arrangement_.Attach(*window_, services_.desk_settings->ReadMainWindow());
  SetText(desk::kServerTimeText, "");
  SetText(desk::kConnectionLabel, "IP Address:");
  window_->AppendSystemMenuItem(desk::kAboutCommand, "&About Varnholt (TM)...");
  window_->SetIcon(MakeWindowIcon());

  arrangement_.CreateFixedViews();
  // Without a tray icon there is nowhere to hide to.
  if (!CanHide()) {
    if (cControl* hide = window_->Control(desk::kHide)) hide->Show(false);
  }
  RequestFirstAnswers();

  // The tab menu was made with the arrangement; the selection is evaluated as for a change,
  // and the top view is made again from the name it had.
  arrangement_.EvaluateInitialSelection();
  arrangement_.TakeCurrentVideoViewFromTopName();
  arrangement_.RecreateTopView().Ignore(
      "a top view that cannot be made leaves the top pane empty; the tabs work on");
  LoadWebsitePicture();

  // From here on the frame's timer may poll the views.
  session_->SetPhase(hv::eDeskPhase::kReady);
  SetText(desk::kDawnDusk, "");
  if (Connected())
    session_->Send(failure::kGetDawnDusk, SendGetDawnDusk).Ignore(kSendFailureReported);
  arrangement_.UpdateLayout();
  session_->ComposeTitle();
  window_->Repaint();
}

void CHouseDeskDlg::RequestFirstAnswers() {
  session_->RequestListItems();
  const bool asked_light_dark = Connected();
  if (asked_light_dark)
    session_->Send(failure::kGetLightDark, SendGetLightDark).Ignore(kSendFailureReported);
  // The layout was measured when the arrangement took the window.
  if (cControl* control = window_->Control(desk::kLogOut)) control->Show(false);
  if (cControl* control = window_->Control(desk::kEmailSupport)) control->Show(false);
  arrangement_.InsertFixedTabs();
  // Without an automatic login there is nothing to show yet: the setup comes first.
  const cClientSettings& settings = *services_.settings;
  if (!settings.auto_login || settings.address.GetLength() == 0) RunSetup();
  // A login made by the setup dialog has just asked for the lists; light and dark, which
  // could not be asked for before it, follow here, and the requests below ask for the rest,
  // so each request goes once and in the order of an automatic login.
  if (!asked_light_dark && Connected())
    session_->Send(failure::kGetLightDark, SendGetLightDark).Ignore(kSendFailureReported);
  // The video views report their own failures; the window opens all the same.
  session_->RefreshVideo().Ignore("the video views report their own failures");
  RestoreWindowSize();
  // A fresh start (no stored entries but the first) fills the log from the server.
  if (services_.activity_items->Count() <= 1 && Connected()) {
    const uint32_t max_entries = static_cast<uint32_t>(settings.max_log_entries);
    session_
        ->Send(failure::kGetLogItems,
               [max_entries](cRemoteClientSocket* s) { return SendGetLogItems(s, max_entries); })
        .Ignore(kSendFailureReported);
  }
  session_->ShowConnectionText();
  if (Connected()) {
    session_->Send(failure::kGetControlFileName, SendGetControlFileName)
        .Ignore(kSendFailureReported);
    session_->Send(failure::kGetClientQty, SendGetClientQty).Ignore(kSendFailureReported);
    session_->Send(failure::kGetServerTime, SendGetServerTime).Ignore(kSendFailureReported);
  }
}

void CHouseDeskDlg::LoadWebsitePicture() {
  cButton* button = window_->Button(desk::kWebsite);
  if (button == nullptr) return;
  const std::string_view folder = services_.program_directory.CStr();
  // Beside the program first, where an update puts a newer picture; an installed program
  // keeps its data in <prefix>/share/hearthview, since its own folder is bin/.
  const std::string beside = JoinPosixPath(folder, kWebsitePictureFile);
  const std::string installed =
      JoinPosixPath(JoinPosixPath(folder, "../share/hearthview"), kWebsitePictureFile);
  cBitmap picture;
  // A missing picture leaves the button blank; it still opens the web page.
  if (LoadPictureFile(beside.c_str(), &picture).ok() ||
      LoadPictureFile(installed.c_str(), &picture).ok()) {
    button->SetPicture(&picture, true);
  }
}

void CHouseDeskDlg::RestoreWindowSize() {
  const cRect rect = services_.desk_settings->ReadWindowSize();
  if (rect.Width() > 0 && rect.Height() > 0) window_->MoveWindow(rect, true);
}

void CHouseDeskDlg::WriteWindowSize() {
  const cRect rect = window_->WindowRect();
  if (rect.Width() > 0 && rect.Height() > 0) services_.desk_settings->WriteWindowSize(rect);
}

void CHouseDeskDlg::WriteMainWindowValues() {
  services_.desk_settings->WriteMainWindow(arrangement_.Choices());
}

void CHouseDeskDlg::PollChildren() {
  arrangement_.Views().ForEach([](cTabChildDlg& view) { view.PollChild(); });
  if (cTabChildDlg* top = arrangement_.TopView()) top->PollChild();
}

std::function<void(int32_t)> CHouseDeskDlg::HelpOpener() {
  return [this](int32_t context) { OpenHelp(*services_.commands, static_cast<uint32_t>(context)); };
}

void CHouseDeskDlg::RunSetup() {
  hv::cDeskSetupServices services;
  services.toolkit = services_.toolkit;
  services.clock = services_.clock;
  services.settings = services_.desk_settings;
  services.show_help = HelpOpener();
  services.tray_available = [this] {
    const cAppMainFrame* frame = services_.commands->MainFrame();
    return frame == nullptr || frame->TrayAvailable();
  };
  services.reconnect = [this] { return Reconnect(); };
  services.history_settings_changed = [this] { services_.commands->ApplyHistorySettings(); };
  services.connect_failed = [this](cWindow* parent) {
    hv::ShowUnableToConnect(*services_.toolkit, *services_.settings, *services_.connection, parent);
  };
  if (!hv::cDeskSetup(services).Run(window_.get())) return;
  session_->ShowConnectionText();
  session_->ComposeTitle();
  window_->Repaint();
}

void CHouseDeskDlg::OnWebsite() {
  const Status opened = services_.shell->Open(kProductWebPage);
  if (!opened.failed()) return;
  // A picture button that does nothing leaves the user guessing: say why, and name the page.
  ShowPageOpenFailure(*services_.toolkit, window_.get(), "Web Page", opened.code(), "web page",
                      "The web page is", kProductWebPage);
}

// --- Window life ---

void CHouseDeskDlg::Restore() {
  if (window_ == nullptr) return;
  window_->Show(true);
  window_->Activate();
  arrangement_.Views().ForEach([](cTabChildDlg& view) {
    if (view.Placement() == kPlacementTab) view.LayoutChild(nullptr);
  });
}

void CHouseDeskDlg::Hide() {
  if (window_ != nullptr) window_->Show(false);
}

void CHouseDeskDlg::OnExit() {
  WriteMainWindowValues();
  window_->EndDialog(kResultOk);
  closing_ = true;
  if (cAppMainFrame* frame = services_.commands->MainFrame()) frame->Exit();
}

bool CHouseDeskDlg::CanHide() const {
  // Hiding is only safe while there is a tray icon to bring the window back with.
  const cAppMainFrame* frame = services_.commands->MainFrame();
  return services_.settings->tray_icon_type != 0 && (frame == nullptr || frame->HasTrayIcon());
}

void CHouseDeskDlg::OnCloseBox() {
  if (CanHide()) {
    Hide();
    return;
  }
  window_->EndDialog(kResultCancel);
  WriteMainWindowValues();
  if (cAppMainFrame* main_frame = services_.commands->MainFrame()) main_frame->Exit();
}

// --- Commands ---

void CHouseDeskDlg::OnCommand(int32_t id, eCommandEvent event) {
  if (id == desk::kTabControl) {
    if (event == eCommandEvent::kSelectionChanged) arrangement_.OnSelectionChanged();
    return;
  }
  if (event != eCommandEvent::kClicked) return;
  switch (id) {
    case desk::kSetup: RunSetup(); break;
    case desk::kDayNight: OnDayNight(); break;
    case desk::kPauseMacros: OnPauseMacros(); break;
    case desk::kMute: OnMute(); break;
    case desk::kAddLogMessage: OnAddLogMessage(); break;
    case desk::kServerTimeButton: OnServerTimeButton(); break;
    case desk::kVersionInfo:
      if (dialogs_.version_info) {
        dialogs_.version_info(*window_);
      } else {
        NotAvailableYet();
      }
      break;
    case desk::kSendX10Code: OnSendX10Code(); break;
    case desk::kHistory: services_.commands->OpenHistory(); break;
    case desk::kHelp: OpenHelp(*services_.commands, desk::kHelpContext); break;
    case desk::kWebsite: OnWebsite(); break;
    case desk::kSplitView:
    case desk::kShowAdditionalInfo:
    case desk::kAllowUserLogMessages:
      arrangement_.UpdateLayout();
      arrangement_.UpdateVisibility();
      break;
    case desk::kHide:
      // The tray may have gone since the button was shown; nothing could bring it back then.
      if (CanHide()) Hide();
      break;
    case desk::kExit: OnExit(); break;
    case desk::kCancel: OnCloseBox(); break;
    default: break;  // "&Log Out" and "&Email Support" stay hidden and do nothing
  }
}

void CHouseDeskDlg::OnSendX10Code() {
  cX10SendServices services;
  services.toolkit = services_.toolkit;
  services.clock = services_.clock;
  services.company = services_.registry_words->Company();
  services.application = services_.registry_words->Application();
  services.is_busy = [this] { return services_.flags->app_busy; };
  services.set_busy = [this](bool busy) { services_.flags->app_busy = busy; };
  cEventLoop& loop = *services_.event_loop;
  services.pause = [&loop](uint32_t ms) { loop.Pump(ms); };
  services.send_code = X10CodeSenderOf(*services_.connection);
  services.log = services_.log;
  services.show_help = HelpOpener();
  CDlgAdvX10Send dialog(services, window_.get());
  // The dialog sends and keeps its defaults itself: how it was closed changes nothing here.
  dialog.DoModal(nullptr).Ignore("a dialog that cannot open sends nothing and keeps the defaults");
}

void CHouseDeskDlg::NotAvailableYet() {
  services_.toolkit->MessageBox().Show("This part of Varnholt (TM) is not available yet.",
                                       "Varnholt (TM)", cMessageBoxIcon::kInformation,
                                       cMessageBoxButtons::kOk, window_.get());
}

void CHouseDeskDlg::OnDayNight() {
  cControl* button = window_->Control(desk::kDayNight);
  const uint16_t dark = button != nullptr && button->Text() == "Night" ? 0 : 1;
  session_
      ->SendCommand(failure::kSetLightDark,
                    [dark](cRemoteClientSocket* s) { return SendSetLightDark(s, dark); })
      .Ignore(kSendFailureReported);
}

void CHouseDeskDlg::OnPauseMacros() {
  cButton* box = window_->Button(desk::kPauseMacros);
  if (box == nullptr) return;
  const uint16_t paused = box->GetCheck() != 0 ? 1 : 0;
  if (paused != 0) {
    const cMessageBoxAnswer answer = services_.toolkit->MessageBox().Show(
        kPauseQuestion, "Confirm Pause", cMessageBoxIcon::kQuestion, cMessageBoxButtons::kYesNo,
        window_.get());
    if (answer != cMessageBoxAnswer::kYes) {
      box->SetCheck(0);
      return;
    }
  }
  SendCheckState(*box, failure::kSetPause, SendSetPause);
}

void CHouseDeskDlg::OnMute() {
  if (cButton* box = window_->Button(desk::kMute))
    SendCheckState(*box, failure::kSetMute, SendSetMute);
}

void CHouseDeskDlg::SendCheckState(cButton& box, const char* failure,
                                   Status (*send)(cRemoteClientSocket*, uint16_t)) {
  const uint16_t on = box.GetCheck() != 0 ? 1 : 0;
  // A box that does not match the server would mislead: it goes back when nothing was sent.
  if (session_->SendCommand(failure, [send, on](cRemoteClientSocket* s) { return send(s, on); })
          .failed()) {
    box.SetCheck(on != 0 ? 0 : 1);
  }
}

void CHouseDeskDlg::OnAddLogMessage() {
  cControl* edit = window_->Control(desk::kLogMessageText);
  if (edit == nullptr) return;
  const swString text = edit->Text();
  if (text.GetLength() == 0) return;
  // A message that did not reach the server stays in the edit, so the user can send it
  // again instead of typing it anew.
  if (!Connected() || SendUserMessage(services_.connection->Socket(), text.CStr()).failed()) {
    ReportUserMessageFailure(services_.log);
    return;
  }
  edit->SetText("");
}

void CHouseDeskDlg::OnServerTimeButton() {
  session_->ForgetServerClock();
  session_->SendCommand(failure::kGetServerTime, SendGetServerTime).Ignore(kSendFailureReported);
}

void CHouseDeskDlg::OnResized(int32_t width, int32_t height) {
  arrangement_.OnResized(width, height);
}

void CHouseDeskDlg::OnContextMenu(int32_t control_id, cPoint screen_point) {
  if (control_id == desk::kTabControl) arrangement_.OnTabRightClick(screen_point);
}

void CHouseDeskDlg::OnHelp() { OpenHelp(*services_.commands, desk::kHelpContext); }

void CHouseDeskDlg::OnSystemCommand(int32_t command) {
  if (command >= desk::kAboutCommand && command <= desk::kAboutCommandLast)
    services_.commands->ShowAbout();
}

}  // namespace hv
