// hearthview: the desktop client. Qt's loop runs the program; the application object and
// its windows talk to Qt only through the toolkit, event loop and clock given here.
#include <QApplication>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "client/platform/linux/secret_password_store.h"
#include "client/platform/spawn_shell.h"
#include "client/platform/system_clock.h"
#include "client/shell/app/desk_window_factory.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/app/startup_options.h"
#include "client/shell/program/toolkit_start_failure.h"
#include "client/shell/setup/client_settings.h"
#include "client/ui/qt/desktop/dbus_desktop_notifier.h"
#include "client/ui/qt/desktop/dbus_wake_events.h"
#include "client/ui/qt/history/qt_history_chart.h"
#include "client/ui/qt/history/qt_screen_place.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_tray_area.h"
#include "client/update/program_folder.h"
#include "client/views/history/history_desk.h"
#include "client/views/video/thumbnail_decoder.h"
#include "core/file/running_program.h"

namespace hv {

namespace {

QtMessageHandler previous_message_handler = nullptr;

// A message the toolkit gave while it started, kept back until it is known whether it did.
struct HeldMessage {
  QtMsgType type;
  std::string category;
  std::string text;
};
std::vector<HeldMessage>& HeldMessages() {
  static std::vector<HeldMessage> messages;
  return messages;
}
// The toolkit's own threads (its bus connection) may speak while it starts.
std::mutex& HeldMessagesLock() {
  static std::mutex lock;
  return lock;
}

void PassOn(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (previous_message_handler != nullptr) {
    previous_message_handler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

// While the toolkit starts, its messages are held back: a fatal one means it found no
// desktop it can use (a display that does not answer, a platform plugin that cannot load),
// and the toolkit's account of that, a developer's, would come before ours and then abort
// with a core dump. The user gets one line of ours and the exit code instead.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  const std::string category = context.category != nullptr ? context.category : "";
  const std::string text = message.toStdString();
  const std::lock_guard<std::mutex> hold(HeldMessagesLock());
  HeldMessages().push_back({type, category, text});
  if (type != QtFatalMsg) return;
  std::vector<std::string> said;
  for (const HeldMessage& held : HeldMessages()) {
    const bool named = !held.category.empty() && held.category != "default";
    said.push_back(named ? held.category + ": " + held.text : held.text);
  }
  std::fputs(
      hv::ToolkitStartFailureText(said, std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))
          .c_str(),
      stderr);
  std::fflush(stderr);
  _exit(kExitNoGraphicalSession);
}

// The toolkit started: what it said on the way (a platform it fell back from, say) is
// said now, as it would have been.
void ReleaseHeldMessages() {
  const std::lock_guard<std::mutex> hold(HeldMessagesLock());
  for (const HeldMessage& held : HeldMessages()) {
    const QMessageLogContext context(nullptr, 0, nullptr,
                                     held.category.empty() ? nullptr : held.category.c_str());
    PassOn(held.type, context, QString::fromStdString(held.text));
  }
  HeldMessages().clear();
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
  // An update cut off part-way (restart killed, the machine gone down) is settled first, with
  // or without a desktop: the program and its data files are then of one release again.
  RemoveUpdateLeftovers(RunningProgramPath(), std::time(nullptr));
  if (!GraphicalSessionAvailable(options, [](const char* name) { return std::getenv(name); })) {
    std::fputs(NoGraphicalSessionText().c_str(), stderr);
    return kExitNoGraphicalSession;
  }

  previous_message_handler = qInstallMessageHandler(StartupMessageHandler);
  QApplication application(argc, argv);
  qInstallMessageHandler(previous_message_handler);
  ReleaseHeldMessages();
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

  cAppEnvironment environment(toolkit, clock, event_loop, shell, &windows);
  environment.quit = quit;
  environment.wake_events = &wake_events;
  environment.notifier = &notifier;
  environment.password_store = &keyring;
  environment.thumbnail_decode_threads = cThumbnailDecoder::WorkersForThisMachine();

  int result = 0;
  {
    CHouseDeskApp app(environment);
    // Before start-up: the setup dialog may already be open when the session ends.
    if (app.WatchTerminationSignals().failed()) {
      std::fprintf(stderr,
                   "hearthview: termination signals cannot be watched; the settings "
                   "are saved only when the program is ended from its window\n");
    }
    // The history ends before the application object: what it still holds is written then.
    hv::history::HistoryDeskServices history_services;
    history_services.toolkit = &toolkit;
    history_services.event_loop = &event_loop;
    history_services.log = &app;
    history_services.make_chart = hv::history::MakeQtHistoryChart;
    history_services.screen_place = hv::history::QtScreenPlace;
    history_services.house_key = [&app] {
      return hv::history::HouseKey(app.Settings().address.CStr(),
                                   static_cast<int32_t>(app.Settings().port));
    };
    hv::history::HistoryDesk history(std::move(history_services));
    app.SetHistory(&history);
    if (!app.InitInstance()) {
      app.SetHistory(nullptr);
      return 0;
    }
    result = QApplication::exec();
    app.ExitInstance();
    app.SetHistory(nullptr);
  }
  return result;
}
