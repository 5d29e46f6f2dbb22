#include "client/shell/desk_window_factory.h"

#include "client/views/empty_views.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/main_frame.h"
#include "client/shell/registry_words.h"

cDeskWindowFactory::cDeskWindowFactory(std::function<void()> quit, cTrayArea* tray,
                                       cViewFactory* views, cDeskDialogs dialogs)
    : quit_(std::move(quit)), tray_(tray), views_(views), dialogs_(std::move(dialogs)) {}

cDeskWindowFactory::~cDeskWindowFactory() = default;

std::unique_ptr<cAppMainFrame> cDeskWindowFactory::CreateMainFrame(CHouseDeskApp& app) {
  auto frame = std::make_unique<CMainFrame>(app, quit_, tray_);
  frame->Start();
  return frame;
}

std::unique_ptr<cAppMainWindow> cDeskWindowFactory::CreateMainWindow(CHouseDeskApp& app) {
  cViewFactory* views = views_;
  if (views == nullptr) {
    // Each application has its own connection, so its placeholder views get their own
    // factory.
    own_views_ = std::make_unique<cEmptyViewFactory>(&app.Connection(),
                                                     app.RegistryWords().Company(),
                                                     app.RegistryWords().Application());
    views = own_views_.get();
  }
  auto window = std::make_unique<CHouseDeskDlg>(app, *views, dialogs_);
  if (window->Create() != 0) return nullptr;
  return window;
}
