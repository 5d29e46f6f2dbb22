// hearthview: the desktop client. Qt's loop runs the program; the application object and
// its windows talk to Qt only through the toolkit, event loop and clock given here.
#include <QApplication>

#include "client/shell/desk_window_factory.h"
#include "client/shell/house_desk_app.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_tray_area.h"
#include "client/platform/spawn_shell.h"
#include "client/platform/system_clock.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The main window may be hidden while the program runs on in the tray.
  QApplication::setQuitOnLastWindowClosed(false);

  cQtToolkit toolkit;
  cSystemClock clock;
  cQtEventLoop event_loop;
  cSpawnShell shell;
  cQtTrayArea tray;
  const auto quit = [] { QCoreApplication::quit(); };
  cDeskWindowFactory windows(quit, &tray);

  cAppEnvironment environment;
  environment.toolkit = &toolkit;
  environment.clock = &clock;
  environment.event_loop = &event_loop;
  environment.shell = &shell;
  environment.windows = &windows;
  environment.quit = quit;

  int result = 0;
  {
    CHouseDeskApp app(environment);
    // Before start-up: the setup dialog may already be open when the session ends.
    app.WatchTerminationSignals();
    if (!app.InitInstance()) return 0;
    result = QApplication::exec();
    app.ExitInstance();
  }
  return result;
}
