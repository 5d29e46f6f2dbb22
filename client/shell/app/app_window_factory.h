// cAppWindowFactory: how the application object gets its hidden main frame and its main
// window without knowing the toolkit. The program's main() passes the real one; tests pass a
// fake (or none: then start-up makes neither, and the program runs windowless).
#ifndef HV_CLIENT_SHELL_APP_APP_WINDOW_FACTORY_H_
#define HV_CLIENT_SHELL_APP_APP_WINDOW_FACTORY_H_

#include <memory>

namespace hv {

class CHouseDeskApp;
class cAppMainFrame;
class cAppMainWindow;

class cAppWindowFactory {
 public:
  virtual ~cAppWindowFactory() = default;

  // The hidden frame: creates the tray icon and starts the 500 ms timer. Null when it cannot
  // be made (start-up then ends the program). `app` outlives the frame.
  virtual std::unique_ptr<cAppMainFrame> CreateMainFrame(CHouseDeskApp& app) = 0;
  // The main window, created and initialised (views made, first requests sent, shown).
  // Null when it cannot be made. `app` outlives the window.
  virtual std::unique_ptr<cAppMainWindow> CreateMainWindow(CHouseDeskApp& app) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_APP_WINDOW_FACTORY_H_
