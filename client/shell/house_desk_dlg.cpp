#include "client/shell/house_desk_dlg.h"

#include <algorithm>

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/platform/event_loop.h"
#include "client/platform/shell.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/video_requests.h"
#include "client/shell/app_main_frame.h"
#include "client/shell/client_settings.h"
#include "client/shell/desk_settings.h"
#include "client/shell/desk_texts.h"
#include "client/shell/dlg_client_setup.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/house_desk_layout.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "client/views/dialogs/dlg_adv_x10_send.h"
#include "client/views/video/thumbnail_decoder.h"
#include "client/views/view_feeds.h"
#include "core/profile/profile_store.h"
#include "core/status.h"

namespace hv {

namespace {

// Hands something to every view of `kind` that offers Feed. Each view reports its own trouble
// (a request it could not send becomes an activity entry; a list that could not grow starts
// afresh and fills again on the next refresh), and one view's trouble must not stop the
// others or cost the connection, so their statuses end here.
template <class Feed, class Op>
void HandToEveryView(cTabArrangement& arrangement, int32_t kind, Op op) {
  arrangement.ForEachFeed<Feed>(kind, [&op](Feed& feed) { (void)op(feed); });
}

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
      arrangement_(app.Toolkit(), factory, this),
      thumbnail_decoder_(std::make_unique<cThumbnailDecoder>(
          app.EventLoop(), app.ThumbnailDecodeThreads(),
          [this](const ThumbnailRecord& record, cBitmap& picture) {
            ShowThumbnail(record, picture);
          })) {
  // A view replaced while one of its sends waits must outlive that send.
  arrangement_.Views().SetRetirement(&app_.EventLoop());
  app_.ProtocolContext().SetTransferNotice([this](cTransferState state) {
    ShowTraffic(state == cTransferState::kSending     ? ">"
                : state == cTransferState::kReceiving ? "<"
                                                      : "");
  });
}

CHouseDeskDlg::~CHouseDeskDlg() {
  ready_ = false;
  destroying_ = true;
  app_.ProtocolContext().SetTransferNotice(nullptr);
  for (int32_t kind = kViewSwitches; kind <= kViewModes; ++kind) {
    arrangement_.ForEachFeed<cListViewFeed>(kind, [](cListViewFeed& feed) { feed.EmptyList(); });
  }
  {
    // Every view saves its settings as it closes: one transaction for them all, so that the
    // program's end does not wait for a commit per value.
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
  OnInitDialog();
  window_->Show(true);
  return hv::kOk;
}

bool CHouseDeskDlg::Connected() const { return app_.Connection().IsConnected(); }

int32_t CHouseDeskDlg::SendCommand(const char* failure,
                                   const std::function<int32_t(cRemoteClientSocket*)>& send) {
  if (!Connected()) {
    ReportRequestFailure(&app_, failure);
    return hv::kNotConnected;
  }
  return Send(failure, send);
}

int32_t CHouseDeskDlg::Send(const char* failure,
                            const std::function<int32_t(cRemoteClientSocket*)>& send) {
  return SendReportingFailure(app_.Connection(), &app_, failure, send);
}

void CHouseDeskDlg::SetText(int32_t id, const char* text) {
  if (window_ == nullptr) return;
  if (cControl* control = window_->Control(id)) control->SetText(text);
}

void CHouseDeskDlg::OnInitDialog() {
  initialising_ = true;
  cDeskSettings settings(app_);
  // The options from "Main Window" and the first texts, the about entry and the icon.
  arrangement_.Attach(*window_, settings.ReadMainWindow());
  SetText(desk::kServerTimeText, "");
  SetText(desk::kConnectionLabel, "IP Address:");
  window_->AppendSystemMenuItem(desk::kAboutCommand, "&About Varnholt (TM)...");
  SetWindowIcon();

  arrangement_.CreateFixedViews();
  // Without a tray icon there is nowhere to hide to.
  if (!CanHide()) {
    if (cControl* hide = window_->Control(desk::kHide)) hide->Show(false);
  }
  RequestFirstAnswers(settings);

  // The tab menu was made with the arrangement; the selection is evaluated as for a change,
  // and the top view is made again from the name it had.
  arrangement_.EvaluateInitialSelection();
  arrangement_.TakeCurrentVideoViewFromTopName();
  // A top view that cannot be made leaves the top pane empty; the tabs work on.
  (void)arrangement_.RecreateTopView();
  LoadWebsitePicture();

  // From here on the frame's timer may poll the views.
  initialising_ = false;
  ready_ = true;
  SetText(desk::kDawnDusk, "");
  if (Connected()) Send(failure::kGetDawnDusk, SendGetDawnDusk);
  arrangement_.UpdateLayout();
  ComposeTitle();
  window_->Repaint();
}

void CHouseDeskDlg::RequestFirstAnswers(const cDeskSettings& settings) {
  for (int32_t kind = kViewSwitches; kind <= kViewModes; ++kind) {
    HandToEveryView<cListViewFeed>(arrangement_, kind,
                                   [](cListViewFeed& feed) { return feed.RequestItems(); });
  }
  const bool asked_light_dark = Connected();
  if (asked_light_dark) Send(failure::kGetLightDark, SendGetLightDark);
  // The layout was measured when the arrangement took the window.
  if (cControl* control = window_->Control(desk::kLogOut)) control->Show(false);
  if (cControl* control = window_->Control(desk::kEmailSupport)) control->Show(false);
  arrangement_.InsertFixedTabs();
  // Without an automatic login there is nothing to show yet: the setup comes first.
  if (!settings.Client().auto_login || settings.Client().address.GetLength() == 0) RunSetup();
  // A login made by the setup dialog has just asked for the lists; light and dark, which
  // could not be asked for before it, follow here, and the requests below ask for the rest,
  // so each request goes once and in the order of an automatic login.
  if (!asked_light_dark && Connected()) Send(failure::kGetLightDark, SendGetLightDark);
  // The video views report their own failures; the window opens all the same.
  (void)RefreshVideo();
  RestoreWindowSize();
  // A fresh start (no stored entries but the first) fills the log from the server.
  if (app_.ActivityItems().Count() <= 1 && Connected()) {
    const uint32_t max_entries = static_cast<uint32_t>(app_.Settings().max_log_entries);
    Send(failure::kGetLogItems,
         [max_entries](cRemoteClientSocket* s) { return SendGetLogItems(s, max_entries); });
  }
  SetConnectionText(ConnectionText(app_.Settings().address, app_.Settings().port));
  if (Connected()) {
    Send(failure::kGetControlFileName, SendGetControlFileName);
    Send(failure::kGetClientQty, SendGetClientQty);
    Send(failure::kGetServerTime, SendGetServerTime);
  }
}

void CHouseDeskDlg::SetWindowIcon() { window_->SetIcon(MakeWindowIcon()); }

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
  const cRect rect = cDeskSettings(app_).ReadWindowSize();
  if (rect.Width() > 0 && rect.Height() > 0) window_->MoveWindow(rect, true);
}

void CHouseDeskDlg::WriteWindowSize() {
  const cRect rect = window_->WindowRect();
  if (rect.Width() > 0 && rect.Height() > 0) cDeskSettings(app_).WriteWindowSize(rect);
}

void CHouseDeskDlg::WriteMainWindowValues() {
  cDeskSettings(app_).WriteMainWindow(arrangement_.Choices());
}

void CHouseDeskDlg::SetConnectionText(const swString& text) {
  connection_text_ = text;
  SetText(desk::kConnectionText, text.CStr());
}

void CHouseDeskDlg::ShowTraffic(const char* mark) {
  traffic_text_ = mark;
  SetText(desk::kTrafficIndicator, mark);
}

void CHouseDeskDlg::ComposeTitle() {
  if (window_ != nullptr) {
    window_->SetTitle(ComposeDeskTitle(traffic_text_, connection_text_, Connected()).CStr());
  }
}

int32_t CHouseDeskDlg::RefreshVideo() {
  arrangement_.RemoveVideoTabs();
  if (Connected()) {
    Send(failure::kGetVideoSources, SendGetVideoSources);
    const uint32_t snapshots = static_cast<uint32_t>(app_.Settings().max_snapshots);
    Send(failure::kGetThumbnails,
         [snapshots](cRemoteClientSocket* s) { return SendGetThumbnails(s, snapshots); });
  }
  int32_t status = hv::kOk;
  arrangement_.ForEachFeed<cVideoFeed>(kViewVideo, [&status](cVideoFeed& feed) {
    if (status >= 0) {
      const int32_t result = feed.RestoreWindowState();
      if (result < 0) status = result;
    }
  });
  return status;
}

int32_t CHouseDeskDlg::Reconnect() {
  cClientSettings& settings = app_.Settings();
  if (settings.address.GetLength() != 0) {
    (void)app_.Connection().Disconnect();  // not connected is as good as disconnected
    const int32_t status =
        app_.Connection().Connect(settings.address.CStr(), static_cast<uint32_t>(settings.port),
                                  settings.user_name.CStr(), settings.password.CStr());
    if (status < 0) {
      ComposeTitle();
      ShowServerTime();
      return status;
    }
  }
  for (int32_t kind = kViewActivityLog; kind <= kViewModes; ++kind) {
    arrangement_.ForEachFeed<cListViewFeed>(kind, [](cListViewFeed& feed) { feed.EmptyList(); });
  }
  for (int32_t kind = kViewSwitches; kind <= kViewModes; ++kind) {
    HandToEveryView<cListViewFeed>(arrangement_, kind,
                                   [](cListViewFeed& feed) { return feed.RequestItems(); });
  }
  if (Connected() && !initialising_) RequestSessionFacts();
  ComposeTitle();
  return hv::kOk;
}

void CHouseDeskDlg::RequestSessionFacts() {
  cClientSettings& settings = app_.Settings();
  Send(failure::kGetLightDark, SendGetLightDark);
  RenewVideo();
  app_.ActivityItems().Clear();
  const uint32_t max_entries = static_cast<uint32_t>(settings.max_log_entries);
  Send(failure::kGetLogItems,
       [max_entries](cRemoteClientSocket* s) { return SendGetLogItems(s, max_entries); });
  Send(failure::kGetControlFileNameReconnect, SendGetControlFileName);
  Send(failure::kGetClientQty, SendGetClientQty);
  Send(failure::kGetServerTime, SendGetServerTime);
  Send(failure::kGetDawnDusk, SendGetDawnDusk);
}

void CHouseDeskDlg::RenewVideo() {
  // The server sends every source and thumbnail again; views that kept the old ones would
  // show each picture twice, and a source the server no longer has would stay. Pictures
  // still being decoded land first, so that none of the old ones comes after the new.
  thumbnail_decoder_->DeliverAll();
  arrangement_.DropVideoViews();
  app_.VideoThumbnails().Clear();
  Send(failure::kGetVideoSources, SendGetVideoSources);
  const uint32_t snapshots = static_cast<uint32_t>(app_.Settings().max_snapshots);
  Send(failure::kGetThumbnails,
       [snapshots](cRemoteClientSocket* s) { return SendGetThumbnails(s, snapshots); });
  // A top view that cannot be made leaves the top pane empty; the tabs work on.
  if (arrangement_.TopView() == nullptr) (void)arrangement_.RecreateTopView();
}

void CHouseDeskDlg::UpdateServerTime(int32_t time, eClockUpdate mode) {
  if (mode == eClockUpdate::kAnswer) {
    server_clock_ = time;
  } else if (server_clock_ != 0) {
    ++server_clock_;
  }
  ShowServerTime();
}

void CHouseDeskDlg::ShowServerTime() {
  SetText(desk::kServerTimeText,
          ServerTimeText(app_.ProtocolContext().HeardFromServer() != 0, server_clock_).CStr());
}

void CHouseDeskDlg::ConnectionEnded() {
  if (destroying_ || window_ == nullptr) return;
  // A clock that is not being told the server's time any more would only drift.
  server_clock_ = 0;
  ShowServerTime();
  SetText(desk::kClientCount, "0");
  ComposeTitle();
}

void CHouseDeskDlg::PollChildren() {
  arrangement_.Views().ForEach([](cTabChildDlg& view) { view.PollChild(); });
  if (cTabChildDlg* top = arrangement_.TopView()) top->PollChild();
}

// --- The setup flow ---

void CHouseDeskDlg::RunSetup() {
  cClientSettings& settings = app_.Settings();
  cClientSetupSettings options;
  options.max_log_entries = settings.max_log_entries;
  options.tray_icon_type = settings.tray_icon_type;
  options.max_snapshots = settings.max_snapshots;
  options.auto_login = settings.auto_login;
  options.login_sel_name = settings.login_sel_name;
  cClientSetupValues presets;
  presets.dont_save = settings.dont_save_user_settings != 0;
  presets.address = settings.address;
  presets.port = settings.port;
  presets.user_name = settings.user_name;
  presets.password = settings.password;
  presets.max_log_entries = settings.max_log_entries;
  presets.max_snapshots = settings.max_snapshots;
  presets.check_connection_on_resume = settings.check_connection_on_resume == 1;
  presets.reconnect_quickly = settings.reconnect_quickly == 1;
  presets.desktop_notifications = settings.desktop_notifications == 1;
  presets.notify_sensors = settings.notify_sensors;
  presets.store_passwords_in_keyring = settings.store_passwords_in_keyring == 1;

  cClientSetupServices services;
  services.toolkit = &app_.Toolkit();
  services.clock = &app_.Clock();
  services.registry = cDeskSettings(app_).SiteRegistry();
  services.monitor = cDeskSettings(app_).CommandFileMonitor();
  services.show_help = [this](int32_t context) { app_.ShowHelp(static_cast<uint32_t>(context)); };
  if (const cAppMainFrame* frame = app_.MainFrame()) {
    services.tray_available = frame->TrayAvailable();
  }
  services.keyring_available = app_.AvailableKeyring() != nullptr;
  int32_t result = kResultCancel;
  cClientSetupValues values;
  {
    CDlgClientSetup dialog(services, window_.get(), options, presets);
    result = dialog.DoModal();
    values = dialog.Values();
  }
  // The three options (and an automatic login turned off) change even when cancelled.
  settings.max_log_entries = options.max_log_entries;
  settings.tray_icon_type = options.tray_icon_type;
  settings.max_snapshots = options.max_snapshots;
  settings.auto_login = options.auto_login;
  if (result != kResultOk) return;

  settings.dont_save_user_settings = values.dont_save ? 1 : 0;
  settings.check_connection_on_resume = values.check_connection_on_resume ? 1 : 0;
  settings.reconnect_quickly = values.reconnect_quickly ? 1 : 0;
  settings.desktop_notifications = values.desktop_notifications ? 1 : 0;
  settings.notify_sensors = values.notify_sensors;
  const bool keyring_was_on = settings.store_passwords_in_keyring == 1;
  settings.store_passwords_in_keyring = values.store_passwords_in_keyring ? 1 : 0;
  WriteDesktopIntegrationSettings(app_.RegistryWords(), settings);
  if (keyring_was_on != (settings.store_passwords_in_keyring == 1)) MovePasswords();
  if (settings.login_sel_name.GetLength() == 0 || settings.login_sel_name == values.site_name ||
      values.auto_login) {
    settings.login_sel_name = values.site_name;
    settings.login_address = values.address;
    settings.login_port = values.port;
    settings.login_user_name = values.user_name;
    settings.login_password = values.password;
    settings.auto_login = values.auto_login ? 1 : 0;
    settings.address = settings.login_address;
    settings.port = settings.login_port;
    settings.user_name = settings.login_user_name;
    settings.password = settings.login_password;
  } else {
    settings.address = values.address;
    settings.port = values.port;
    settings.user_name = values.user_name;
    settings.password = values.password;
  }

  const int32_t status = Reconnect();
  if (status < 0) {
    swString text;
    text.Format("Unable to connect to %s, port %ld, with user name of %s", settings.address.CStr(),
                static_cast<long>(settings.port), settings.user_name.CStr());
    app_.Toolkit().MessageBox().Show(text.CStr(), "Unable to Connect", cMessageBoxIcon::kWarning,
                                     cMessageBoxButtons::kOk, window_.get());
  } else {
    WriteClientSettings();
  }
  SetConnectionText(ConnectionText(settings.address, settings.port));
  ComposeTitle();
  window_->Repaint();
}

void CHouseDeskDlg::MovePasswords() {
  cPasswordStore* keyring = app_.AvailableKeyring();
  if (keyring == nullptr || !ClientSettingsMayBeSaved(app_.RegistryWords())) return;
  const bool to_keyring = app_.Settings().store_passwords_in_keyring == 1;
  MoveSavedSitePasswords(cDeskSettings(app_).SiteRegistry(), keyring);
  MoveClientPasswords(app_.RegistryWords(), keyring, to_keyring);
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

void CHouseDeskDlg::WriteClientSettings() { cDeskSettings(app_).WriteClientSettingsAfterSetup(); }

// --- Receivers ---

template <class Feed, class Record>
int32_t CHouseDeskDlg::HandToListViews(int32_t kind, int32_t (Feed::*take)(const Record&),
                                       const Record& record) {
  if (!ready_) return hv::kDeclined;
  HandToEveryView<Feed>(arrangement_, kind, [&](Feed& feed) { return (feed.*take)(record); });
  return hv::kOk;
}

int32_t CHouseDeskDlg::AddSwitch(const SwitchRecord& record) {
  return HandToListViews(kViewSwitches, &cSwitchesFeed::AddSwitch, record);
}

int32_t CHouseDeskDlg::AddSensor(const SensorRecord& record) {
  return HandToListViews(kViewSensors, &cSensorsFeed::AddSensor, record);
}

int32_t CHouseDeskDlg::AddMacro(const MacroRecord& record) {
  return HandToListViews(kViewMacros, &cMacrosFeed::AddMacro, record);
}

int32_t CHouseDeskDlg::AddMode(const ModeRecord& record) {
  return HandToListViews(kViewModes, &cModesFeed::AddMode, record);
}

int32_t CHouseDeskDlg::SetSwitchStatus(const StatusChangeRecord& record) {
  return HandToListViews(kViewSwitches, &cSwitchesFeed::SetSwitchStatus, record);
}

int32_t CHouseDeskDlg::SetSensorStatus(const StatusChangeRecord& record) {
  return HandToListViews(kViewSensors, &cSensorsFeed::SetSensorStatus, record);
}

int32_t CHouseDeskDlg::SetMacroStatus(const MacroStatusRecord& record) {
  return HandToListViews(kViewMacros, &cMacrosFeed::SetMacroStatus, record);
}

int32_t CHouseDeskDlg::SetModeStatus(const ModeStatusRecord& record) {
  return HandToListViews(kViewModes, &cModesFeed::SetModeStatus, record);
}

int32_t CHouseDeskDlg::SetControlFileName(const swString& name) {
  if (!ready_) return hv::kDeclined;
  SetConnectionText(ConnectionText(app_.Settings().address, app_.Settings().port, name));
  ComposeTitle();
  return hv::kOk;
}

int32_t CHouseDeskDlg::SetClientQty(uint32_t quantity) {
  if (!ready_) return hv::kDeclined;
  swString text;
  text.Format("%d", static_cast<int>(quantity));
  SetText(desk::kClientCount, text.CStr());
  return hv::kOk;
}

int32_t CHouseDeskDlg::SetLightDark(uint16_t dark) {
  if (!ready_) return hv::kDeclined;
  SetText(desk::kDayNight, dark != 0 ? "Night" : "Day");
  return hv::kOk;
}

int32_t CHouseDeskDlg::SetPauseState(uint16_t paused) {
  if (!ready_) return hv::kDeclined;
  if (cButton* box = window_->Button(desk::kPauseMacros)) box->SetCheck(paused != 0 ? 1 : 0);
  return hv::kOk;
}

int32_t CHouseDeskDlg::SetMuteState(uint16_t muted) {
  if (!ready_) return hv::kDeclined;
  if (cButton* box = window_->Button(desk::kMute)) box->SetCheck(muted != 0 ? 1 : 0);
  return hv::kOk;
}

int32_t CHouseDeskDlg::UpdateServerTime(int32_t time) {
  UpdateServerTime(time, eClockUpdate::kAnswer);
  return hv::kOk;
}

int32_t CHouseDeskDlg::SetDawnDusk(uint32_t dawn, uint32_t dusk) {
  if (!ready_) return hv::kDeclined;
  SetText(desk::kDawnDusk, DawnDuskText(dawn, dusk).CStr());
  return hv::kOk;
}

int32_t CHouseDeskDlg::AddVideoSource(const VideoSourceRecord& record) {
  if (destroying_) return hv::kDeclined;
  return arrangement_.AddVideoSource(record.name, record.source_number);
}

int32_t CHouseDeskDlg::AddThumbnail(const ThumbnailRecord& record,
                                    const ThumbnailPicture& encoded) {
  if (destroying_) return hv::kDeclined;
  // A picture no view would show is not decoded at all.
  bool shown = false;
  arrangement_.ForEachViewFeed<cVideoFeed>(kViewVideo, [&](cTabChildDlg& view, cVideoFeed&) {
    if (view.Name() == record.source_name) shown = true;
  });
  if (!shown) return hv::kDeclined;
  return thumbnail_decoder_->Submit(record, encoded);
}

void CHouseDeskDlg::ShowThumbnail(const ThumbnailRecord& record, cBitmap& picture) {
  if (destroying_) return;
  const auto max_count =
      static_cast<int32_t>(std::min<uint32_t>(app_.Settings().max_snapshots, INT32_MAX));
  // The tab-page view of a source first: it owns the pictures that a top-pane view of the
  // same source draws from, so the top-pane view finds the new one already there. A view
  // that cannot keep the picture (no memory) goes without it; the others still show it.
  for (const int32_t placement : {kPlacementTab, kPlacementTop}) {
    arrangement_.ForEachViewFeed<cVideoFeed>(kViewVideo, [&](cTabChildDlg& view, cVideoFeed& feed) {
      if (view.Placement() != placement || view.Name() != record.source_name) return;
      (void)feed.AddThumbnail(record, &picture, max_count);
    });
  }
}

// --- Activity entries ---

int32_t CHouseDeskDlg::ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) {
  if (showing_log_entry_ || destroying_) return hv::kDeclined;
  showing_log_entry_ = true;
  int32_t status = hv::kOk;
  arrangement_.ForEachFeed<cActivityLogFeed>(kViewActivityLog, [&](cActivityLogFeed& feed) {
    if (status < 0) return;
    const int32_t result = feed.AddEntry(entry, item);
    if (result < 0) status = result;
  });
  if (cAppMainFrame* frame = app_.MainFrame()) frame->StartFlash();
  showing_log_entry_ = false;
  return status;
}

void CHouseDeskDlg::ForgetActivityItem(const CActivityItem* item) {
  arrangement_.ForEachFeed<cActivityLogFeed>(
      kViewActivityLog, [item](cActivityLogFeed& feed) { feed.ForgetItem(item); });
}

// --- What the video views ask ---

int32_t CHouseDeskDlg::SnapPicture(const char* source_name) {
  if (source_name == nullptr) return hv::kMissingArgument;
  return SendCommand(failure::kSnapPicture, [source_name](cRemoteClientSocket* s) {
    return SendSnapPicture(s, source_name);
  });
}

int32_t CHouseDeskDlg::RecordToggle(const char* source_name) {
  if (source_name == nullptr) return hv::kMissingArgument;
  if (recording_) {
    const auto stop = [source_name](cRemoteClientSocket* s) {
      return SendStopRecord(s, source_name);
    };
    const int32_t status = SendCommand(failure::kStartStopRecord, stop);
    if (status < 0) return status;
    recording_ = false;
    return hv::kDeclined;
  }
  const auto start = [source_name](cRemoteClientSocket* s) {
    return SendStartRecord(s, source_name);
  };
  const int32_t status = SendCommand(failure::kStartStopRecord, start);
  if (status < 0) return status;
  recording_ = true;
  return hv::kOk;
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
  SendCommand(failure::kSetLightDark,
              [dark](cRemoteClientSocket* s) { return SendSetLightDark(s, dark); });
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
  // A box that does not match the server would mislead: it goes back when nothing was sent.
  if (SendCommand(failure::kSetPause,
                  [paused](cRemoteClientSocket* s) { return SendSetPause(s, paused); }) < 0) {
    box->SetCheck(paused != 0 ? 0 : 1);
  }
}

void CHouseDeskDlg::OnMute() {
  cButton* box = window_->Button(desk::kMute);
  if (box == nullptr) return;
  const uint16_t muted = box->GetCheck() != 0 ? 1 : 0;
  if (SendCommand(failure::kSetMute,
                  [muted](cRemoteClientSocket* s) { return SendSetMute(s, muted); }) < 0) {
    box->SetCheck(muted != 0 ? 0 : 1);
  }
}

void CHouseDeskDlg::OnAddLogMessage() {
  cControl* edit = window_->Control(desk::kLogMessageText);
  if (edit == nullptr) return;
  const swString text = edit->Text();
  if (text.GetLength() == 0) return;
  // A message that did not reach the server stays in the edit, so the user can send it
  // again instead of typing it anew.
  if (!Connected() || SendUserMessage(app_.Connection().Socket(), text.CStr()) < 0) {
    ReportUserMessageFailure(&app_);
    return;
  }
  edit->SetText("");
}

void CHouseDeskDlg::OnServerTimeButton() {
  server_clock_ = 0;
  SendCommand(failure::kGetServerTime, SendGetServerTime);
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
