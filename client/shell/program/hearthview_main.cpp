// hearthview: the desktop client. Qt's loop runs the program; the application object and
// its windows talk to Qt only through the toolkit, event loop and clock given here.
#include <QApplication>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/platform/linux/secret_password_store.h"
#include "client/platform/spawn_shell.h"
#include "client/platform/system_clock.h"
#include "client/shell/desk_window_factory.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/startup_options.h"
#include "client/ui/qt/desktop/dbus_desktop_notifier.h"
#include "client/ui/qt/desktop/dbus_wake_events.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_tray_area.h"
#include "client/views/video/thumbnail_decoder.h"

namespace hv {

namespace {

QtMessageHandler previous_message_handler = nullptr;

// While the toolkit starts, a fatal message means it found no desktop it can use (a DISPLAY
// that does not answer, a platform plugin that cannot load). The toolkit would abort and
// leave a core dump; a plain message and exit code tell the user more.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (type != QtFatalMsg) {
    if (previous_message_handler != nullptr) {
      previous_message_handler(type, context, message);
    } else {
      std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    return;
  }
  std::fprintf(stderr, "hearthview: %s\nhearthview: cannot start the graphical session.\n",
               qPrintable(message));
  std::fflush(stderr);
  _exit(kExitNoGraphicalSession);
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  // The command line is read before the toolkit starts, so --help and --version need no
  // desktop, and a mistake is reported in words.
  const cStartupOptions options =
      ParseStartupOptions(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (options.action) {
    case eStartupAction::kShowHelp: std::fputs(UsageText().c_str(), stdout); return 0;
    case eStartupAction::kShowVersion: std::fputs(VersionText().c_str(), stdout); return 0;
    case eStartupAction::kBadUsage:
      std::fprintf(stderr, "hearthview: %s\nTry 'hearthview --help' for more information.\n",
                   options.error.c_str());
      return kExitBadUsage;
    case eStartupAction::kRun: break;
  }
  if (!GraphicalSessionAvailable(options, [](const char* name) { return std::getenv(name); })) {
    std::fputs(NoGraphicalSessionText().c_str(), stderr);
    return kExitNoGraphicalSession;
  }

  previous_message_handler = qInstallMessageHandler(StartupMessageHandler);
  QApplication application(argc, argv);
  qInstallMessageHandler(previous_message_handler);
  // The main window may be hidden while the program runs on in the tray.
  QApplication::setQuitOnLastWindowClosed(false);

  cQtToolkit toolkit;
  cSystemClock clock;
  cQtEventLoop event_loop;
  cSpawnShell shell;
  cQtTrayArea tray;
  cDbusWakeEvents wake_events;
  cDbusDesktopNotifier notifier;
  cSecretPasswordStore keyring;
  const auto quit = [] { QCoreApplication::quit(); };
  cDeskWindowFactory windows(quit, &tray);

  cAppEnvironment environment;
  environment.toolkit = &toolkit;
  environment.clock = &clock;
  environment.event_loop = &event_loop;
  environment.shell = &shell;
  environment.windows = &windows;
  environment.quit = quit;
  environment.wake_events = &wake_events;
  environment.notifier = &notifier;
  environment.password_store = &keyring;
  environment.thumbnail_decode_threads = cThumbnailDecoder::WorkersForThisMachine();

  int result = 0;
  {
    CHouseDeskApp app(environment);
    // Before start-up: the setup dialog may already be open when the session ends.
    if (app.WatchTerminationSignals() < 0) {
      std::fprintf(stderr,
                   "hearthview: termination signals cannot be watched; the settings "
                   "are saved only when the program is ended from its window\n");
    }
    if (!app.InitInstance()) return 0;
    result = QApplication::exec();
    app.ExitInstance();
  }
  return result;
}
