// The real program's own parts for an application object on the Qt widgets: its toolkit,
// event loop and clock, with a shell that records what it would open and the desk's windows.
#ifndef HV_TESTS_QT_PROGRAM_PARTS_H_
#define HV_TESTS_QT_PROGRAM_PARTS_H_

#include "client/platform/system_clock.h"
#include "client/shell/app/desk_window_factory.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/tray_area.h"
#include "tests/desk_session_support.h"

namespace hv {

namespace test {

// The desk's windows count the times they end the program. With a tray, the main window's
// close box hides it rather than ending the program.
struct cQtParts {
  explicit cQtParts(cTrayArea* tray = nullptr) : windows([this] { ++quits; }, tray) {}
  cQtParts(const cQtParts&) = delete;
  cQtParts& operator=(const cQtParts&) = delete;

  cAppEnvironment Environment() { return {toolkit, clock, loop, shell, &windows}; }

  cQtToolkit toolkit;
  cSystemClock clock;
  cQtEventLoop loop;
  cRecordingShell shell;
  int quits = 0;
  cDeskWindowFactory windows;
};

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_QT_PROGRAM_PARTS_H_
