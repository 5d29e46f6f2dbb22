// cDeskWindowFactory: the real main frame and main window for the application object. The
// views come from the given view factory, or, without one, from a ViewMaker of its own.
#ifndef HV_CLIENT_SHELL_APP_DESK_WINDOW_FACTORY_H_
#define HV_CLIENT_SHELL_APP_DESK_WINDOW_FACTORY_H_

#include <functional>
#include <memory>

#include "client/shell/app/app_window_factory.h"
#include "client/shell/app/frame_services.h"
#include "client/shell/desk/desk_services.h"
#include "client/shell/desk/house_desk_dlg.h"

namespace hv {

class cTrayArea;
class cViewFactory;

// The parts of the application the main frame works on.
cFrameServices FrameServicesOf(CHouseDeskApp& app);
// The parts of the application the main window works on.
cDeskServices DeskServicesOf(CHouseDeskApp& app);

class cDeskWindowFactory : public cAppWindowFactory {
 public:
  // `quit` ends the event loop when the frame exits. `tray` and `views` are not owned (null:
  // no tray icon; a ViewMaker of its own) and must outlive the windows made.
  explicit cDeskWindowFactory(std::function<void()> quit, cTrayArea* tray = nullptr,
                              cViewFactory* views = nullptr, cDeskDialogs dialogs = {});
  ~cDeskWindowFactory() override;

  std::unique_ptr<cAppMainFrame> CreateMainFrame(CHouseDeskApp& app) override;
  std::unique_ptr<cAppMainWindow> CreateMainWindow(CHouseDeskApp& app) override;

 private:
  std::function<void()> quit_;
  cTrayArea* tray_;
  cViewFactory* views_;
  std::unique_ptr<cViewFactory> own_views_;
  cDeskDialogs dialogs_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_DESK_WINDOW_FACTORY_H_
