#include "client/shell/app/desk_window_factory.h"

#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/main_frame.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/registry_words.h"
#include "client/shell/tray/tray_favourites.h"
#include "client/update/dlg_version_info.h"
#include "client/views/view_maker.h"

namespace hv {

namespace {

// What the main frame and the main window are both handed from the application alike.
template <class Services>
Services SharedServicesOf(CHouseDeskApp& app) {
  Services services;
  services.clock = &app.Clock();
  services.event_loop = &app.EventLoop();
  services.toolkit = &app.Toolkit();
  services.settings = &app.Settings();
  services.connection = &app.Connection();
  services.protocol_context = &app.ProtocolContext();
  services.flags = &app.Flags();
  services.log = &app;
  services.commands = &app;
  return services;
}

}  // namespace

cFrameServices FrameServicesOf(CHouseDeskApp& app) {
  cFrameServices services = SharedServicesOf<cFrameServices>(app);
  services.favourites = &app.Favourites();
  return services;
}

cDeskServices DeskServicesOf(CHouseDeskApp& app) {
  cDeskServices services = SharedServicesOf<cDeskServices>(app);
  services.shell = &app.Shell();
  services.desk_settings = &app.DeskSettings();
  services.registry_words = &app.RegistryWords();
  services.activity_items = &app.ActivityItems();
  services.thumbnails = &app.VideoThumbnails();
  services.thumbnail_decode_threads = app.ThumbnailDecodeThreads();
  services.program_directory = app.ProgramDirectory();
  return services;
}

cDeskWindowFactory::cDeskWindowFactory(std::function<void()> quit, cTrayArea* tray,
                                       cViewFactory* views, cDeskDialogs dialogs)
    : quit_(std::move(quit)), tray_(tray), views_(views), dialogs_(std::move(dialogs)) {}

cDeskWindowFactory::~cDeskWindowFactory() = default;

std::unique_ptr<cAppMainFrame> cDeskWindowFactory::CreateMainFrame(CHouseDeskApp& app) {
  auto frame = std::make_unique<CMainFrame>(FrameServicesOf(app), quit_, tray_);
  frame->Start();
  return frame;
}

std::unique_ptr<cAppMainWindow> cDeskWindowFactory::CreateMainWindow(CHouseDeskApp& app) {
  cViewFactory* views = views_;
  if (views == nullptr) {
    // Each application has its own connection, so its views get their own maker.
    cLogViewServices log;
    log.clock = &app.Clock();
    log.stored = &app.ActivityItems();
    log.max_log_entries = [&app] { return app.Settings().max_log_entries; };
    cVideoViewServices video;
    video.thumbnails = &app.VideoThumbnails();
    video.shell = &app.Shell();
    video.event_loop = &app.EventLoop();
    video.clock = &app.Clock();
    video.is_busy = [&app] { return app.AppBusy(); };
    video.data_folder = app.DataFolder();
    auto own = std::make_unique<ViewMaker>(&app.Connection(), app.RegistryWords().Company(),
                                           app.RegistryWords().Application(), std::move(log),
                                           std::move(video));
    own->SetFavourites(&app.Favourites());
    own_views_ = std::move(own);
    views = own_views_.get();
  }
  cDeskDialogs dialogs = dialogs_;
  if (!dialogs.version_info) {
    dialogs.version_info = [&app](cWindow& parent) {
      cVersionInfoServices services;
      services.toolkit = &app.Toolkit();
      services.event_loop = &app.EventLoop();
      services.clock = &app.Clock();
      services.company = app.RegistryWords().Company();
      services.application = app.RegistryWords().Application();
      services.program_path = app.ProgramPath();
      CDlgVersionInfo dialog(services, &parent);
      dialog.DoModal(nullptr).Ignore(
          "a dialog that cannot open starts no update, and nothing else follows from it");
      // The restart helper waits for this program to end before it swaps the file.
      if (dialog.RestartStarted()) app.RequestExit();
    };
  }
  auto window = std::make_unique<CHouseDeskDlg>(DeskServicesOf(app), *views, std::move(dialogs));
  if (!window->Create().ok()) return nullptr;
  return window;
}

}  // namespace hv
