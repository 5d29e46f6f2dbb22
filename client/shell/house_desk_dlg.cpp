#include "client/shell/house_desk_dlg.h"

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/platform/event_loop.h"
#include "client/platform/shell.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/shell/app_main_frame.h"
#include "client/shell/client_settings.h"
#include "client/shell/connect_failure.h"
#include "client/shell/desk_settings.h"
#include "client/shell/desk_setup.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/house_desk_layout.h"
#include "client/shell/registry_words.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "client/views/dialogs/dlg_adv_x10_send.h"
#include "client/views/view_feeds.h"
#include "core/profile/profile_store.h"
#include "core/status.h"

namespace hv {

namespace {

// How many passes of pending events the destruction drains, so that nothing queued for
// the window runs after it is gone.
constexpr int kDrainPasses = 100;

constexpr const char* kPauseQuestion =
    "Are you sure you want to pause macros?  This will stop ALL macro activity until "
    "unpaused!";

// The window's icon: a small house, drawn rather than loaded so that it is always there.
cBitmap MakeWindowIcon() {
  cBitmap icon;
  if (icon.Allocate(16, 16) != hv::kOk) return icon;
  const uint32_t roof = ArgbPixel(255, 160, 32, 32);
  const uint32_t wall = ArgbPixel(255, 230, 200, 120);
  const uint32_t door = ArgbPixel(255, 90, 60, 30);
  for (uint32_t y = 1; y < 8; ++y) {
    for (uint32_t x = 8 - y; x <= 7 + y; ++x) icon.SetPixel(x, y, roof);
  }
  for (uint32_t y = 8; y < 15; ++y) {
    for (uint32_t x = 2; x < 14; ++x) icon.SetPixel(x, y, wall);
  }
  for (uint32_t y = 10; y < 15; ++y) {
    for (uint32_t x = 7; x < 10; ++x) icon.SetPixel(x, y, door);
  }
  return icon;
}

}  // namespace

CHouseDeskDlg::CHouseDeskDlg(CHouseDeskApp& app, cViewFactory& factory, cDeskDialogs dialogs)
    : app_(app),
      dialogs_(std::move(dialogs)),
      session_(std::make_unique<hv::cDeskSession>(
          hv::cDeskSessionServices{.connection = &app.Connection(),
                                   .context = &app.ProtocolContext(),
                                   .log = &app,
                                   .settings = &app.Settings(),
                                   .activity_items = &app.ActivityItems(),
                                   .thumbnails = &app.VideoThumbnails(),
                                   .event_loop = &app.EventLoop(),
                                   .thumbnail_decode_threads = app.ThumbnailDecodeThreads(),
                                   .flags = &app.Flags(),
                                   .entry_shown =
                                       [&app] {
                                         if (cAppMainFrame* frame = app.MainFrame())
                                           frame->StartFlash();
                                       }},
          arrangement_)),
      arrangement_(app.Toolkit(), factory, session_.get()) {
  arrangement_.Views().SetRetirement(&app.EventLoop());  // a view outlives its waiting send
}

CHouseDeskDlg::~CHouseDeskDlg() {
  session_->Close();
  for (int32_t kind = kViewSwitches; kind <= kViewModes; ++kind) {
    arrangement_.ForEachFeed<cListViewFeed>(kind, [](cListViewFeed& feed) { feed.EmptyList(); });
  }
  {
    // The views save their settings as they close, in one transaction, not a commit each.
    swProfileBatch batch;
    arrangement_.Views().ForEach([](cTabChildDlg& view) { view.CloseChild(0); });
  }
  for (int pass = 0; pass < kDrainPasses; ++pass) app_.EventLoop().Pump(0);
  arrangement_.Views().SetRetirement(nullptr);  // retired views go with their host window
  arrangement_.Detach();
  if (window_ != nullptr) {
    WriteWindowSize();
    window_->SetEvents(nullptr);
  }
}

int32_t CHouseDeskDlg::Create() {
  window_ = app_.Toolkit().CreateTopLevelWindow(HouseDeskLayout(), nullptr);
  if (window_ == nullptr) return hv::kOutOfMemory;
  window_->SetEvents(this);
  session_->AttachWindow(window_.get());
  OnInitDialog();
  window_->Show(true);
  return hv::kOk;
}

cAnswerReceiver& CHouseDeskDlg::Answers() { return *session_; }
bool CHouseDeskDlg::IsReady() const { return session_->IsReady(); }
bool CHouseDeskDlg::Connected() const { return session_->Connected(); }
int32_t CHouseDeskDlg::Reconnect() { return session_->Reconnect(); }
void CHouseDeskDlg::StepServerClock() { session_->UpdateServerTime(0, hv::eClockUpdate::kTick); }

int32_t CHouseDeskDlg::ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) {
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
  arrangement_.Attach(*window_, app_.DeskSettings().ReadMainWindow());
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
  // A top view that cannot be made leaves the top pane empty; the tabs work on.
  (void)arrangement_.RecreateTopView();
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
  const cClientSettings& settings = app_.Settings();
  if (!settings.auto_login || settings.address.GetLength() == 0) RunSetup();
  // A login made by the setup dialog has just asked for the lists; light and dark, which
  // could not be asked for before it, follow here, and the requests below ask for the rest,
  // so each request goes once and in the order of an automatic login.
  if (!asked_light_dark && Connected())
    session_->Send(failure::kGetLightDark, SendGetLightDark).Ignore(kSendFailureReported);
  // The video views report their own failures; the window opens all the same.
  (void)session_->RefreshVideo();
  RestoreWindowSize();
  // A fresh start (no stored entries but the first) fills the log from the server.
  if (app_.ActivityItems().Count() <= 1 && Connected()) {
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
  swString folder = app_.ProgramDirectory();
  if (folder.GetLength() != 0 && folder.GetAt(folder.GetLength() - 1) != '/') {
    folder.AppendChar('/');
  }
  // Beside the program first, where an update puts a newer picture; an installed program
  // keeps its data in <prefix>/share/hearthview, since its own folder is bin/.
  swString beside = folder;
  beside.Append(kWebsitePictureFile);
  swString installed = folder;
  installed.Append("../share/hearthview/");
  installed.Append(kWebsitePictureFile);
  cBitmap picture;
  // A missing picture leaves the button blank; it still opens the web page.
  if (LoadPictureFile(beside.CStr(), &picture) == hv::kOk ||
      LoadPictureFile(installed.CStr(), &picture) == hv::kOk) {
    button->SetPicture(&picture, true);
  }
}

void CHouseDeskDlg::RestoreWindowSize() {
  const cRect rect = app_.DeskSettings().ReadWindowSize();
  if (rect.Width() > 0 && rect.Height() > 0) window_->MoveWindow(rect, true);
}

void CHouseDeskDlg::WriteWindowSize() {
  const cRect rect = window_->WindowRect();
  if (rect.Width() > 0 && rect.Height() > 0) app_.DeskSettings().WriteWindowSize(rect);
}

void CHouseDeskDlg::WriteMainWindowValues() {
  app_.DeskSettings().WriteMainWindow(arrangement_.Choices());
}

void CHouseDeskDlg::PollChildren() {
  arrangement_.Views().ForEach([](cTabChildDlg& view) { view.PollChild(); });
  if (cTabChildDlg* top = arrangement_.TopView()) top->PollChild();
}

void CHouseDeskDlg::RunSetup() {
  hv::cDeskSetupServices services;
  services.toolkit = &app_.Toolkit();
  services.clock = &app_.Clock();
  services.settings = &app_.DeskSettings();
  services.show_help = [this](int32_t context) { app_.ShowHelp(static_cast<uint32_t>(context)); };
  services.tray_available = [this] {
    const cAppMainFrame* frame = app_.MainFrame();
    return frame == nullptr || frame->TrayAvailable();
  };
  services.reconnect = [this] { return Reconnect(); };
  services.history_settings_changed = [this] { app_.ApplyHistorySettings(); };
  services.connect_failed = [this](cWindow* parent) {
    hv::ShowUnableToConnect(app_.Toolkit(), app_.Settings(), app_.Connection(), parent);
  };
  if (!hv::cDeskSetup(services).Run(window_.get())) return;
  session_->ShowConnectionText();
  session_->ComposeTitle();
  window_->Repaint();
}

void CHouseDeskDlg::OnWebsite() {
  const int32_t rc = app_.Shell().Open(kProductWebPage);
  if (rc >= 0) return;
  // A picture button that does nothing leaves the user guessing: say why, and name the page.
  swString text;
  if (rc == hv::kNoOpener) {
    text.Format(
        "No program to open web pages was found: xdg-open is not installed or not on "
        "the PATH.\r\n\r\nThe web page is %s; open it in a web browser.",
        kProductWebPage);
  } else {
    text.Format("Unable to open the web page %s", kProductWebPage);
  }
  app_.Toolkit().MessageBox().Show(text.CStr(), "Web Page", cMessageBoxIcon::kWarning,
                                   cMessageBoxButtons::kOk, window_.get());
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
  if (cAppMainFrame* frame = app_.MainFrame()) frame->Exit();
}

bool CHouseDeskDlg::CanHide() const {
  // Hiding is only safe while there is a tray icon to bring the window back with.
  const cAppMainFrame* frame = app_.MainFrame();
  return app_.Settings().tray_icon_type != 0 && (frame == nullptr || frame->HasTrayIcon());
}

void CHouseDeskDlg::OnCloseBox() {
  if (CanHide()) {
    Hide();
    return;
  }
  window_->EndDialog(kResultCancel);
  WriteMainWindowValues();
  if (cAppMainFrame* main_frame = app_.MainFrame()) main_frame->Exit();
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
    case desk::kHistory: app_.OpenHistory(); break;
    case desk::kHelp: app_.ShowHelp(desk::kHelpContext); break;
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
  services.toolkit = &app_.Toolkit();
  services.clock = &app_.Clock();
  services.company = app_.RegistryWords().Company();
  services.application = app_.RegistryWords().Application();
  services.is_busy = [this] { return app_.AppBusy(); };
  services.set_busy = [this](bool busy) { app_.SetAppBusy(busy); };
  cEventLoop& loop = app_.EventLoop();
  services.pause = [&loop](uint32_t ms) { loop.Pump(ms); };
  services.send_code = X10CodeSenderOf(app_.Connection());
  services.log = &app_;
  services.show_help = [this](int32_t context) { app_.ShowHelp(static_cast<uint32_t>(context)); };
  CDlgAdvX10Send dialog(services, window_.get());
  (void)dialog.DoModal();
}

void CHouseDeskDlg::NotAvailableYet() {
  app_.Toolkit().MessageBox().Show("This part of Varnholt (TM) is not available yet.",
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
    const cMessageBoxAnswer answer = app_.Toolkit().MessageBox().Show(
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
  if (!Connected() || SendUserMessage(app_.Connection().Socket(), text.CStr()).failed()) {
    ReportUserMessageFailure(&app_);
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

void CHouseDeskDlg::OnHelp() { app_.ShowHelp(desk::kHelpContext); }

void CHouseDeskDlg::OnSystemCommand(int32_t command) {
  if (command >= desk::kAboutCommand && command <= desk::kAboutCommandLast) app_.ShowAbout();
}

}  // namespace hv
