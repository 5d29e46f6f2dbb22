// What the tests of a whole application object logged in to housesim share: the stored
// automatic login, and the application's main window and tabbed views.
#ifndef HV_TESTS_DESK_SESSION_SUPPORT_H_
#define HV_TESTS_DESK_SESSION_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/setup/dlg_client_setup.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/tab_child_dlg.h"

namespace hv {

namespace test {

// An automatic login as "demo" (password "demo") to housesim on 127.0.0.1:port, stored as
// the setup dialog stores it, so the next application object logs in at its start.
inline void WriteAutoLogin(uint32_t port) {
  WriteClientSetting("Auto Login", 1);
  WriteClientSetting("LoginAddress", "127.0.0.1");
  WriteClientSetting("LoginPort", port);
  WriteClientSetting("LoginUserName", "demo");
  WriteClientSetting("LoginPassword", "demo");
}

// The user types the same login into the setup dialog (and still has to press a button).
inline void TypeLogin(cHeadlessWindow& setup, uint32_t port) {
  setup.Type(kSetupNameBox, "Home");
  setup.Type(kSetupAddress, "127.0.0.1");
  setup.Type(kSetupPort, std::to_string(port).c_str());
  setup.Type(kSetupUserName, "demo");
  setup.Type(kSetupPassword, "demo");
}

// The setup dialog's next showing: the login typed in, then the controls of `clicks` clicked
// in turn (boxes to tick, and last the button that ends the dialog).
inline void QueueSetupLogin(cHeadlessToolkit& toolkit, uint32_t port,
                            std::vector<int32_t> clicks = {kResultOk}) {
  toolkit.QueueModalScript([port, clicks](cHeadlessWindow& setup) {
    TypeLogin(setup, port);
    for (int32_t id : clicks) setup.Click(id);
  });
}

// The application's real main window (null while it has none).
inline CHouseDeskDlg* MainDlg(CHouseDeskApp& app) {
  return dynamic_cast<CHouseDeskDlg*>(app.MainWindow());
}

// The view on the main window's tab `name`, when it is a View.
template <class View>
View* TabbedView(CHouseDeskApp& app, const char* name) {
  CHouseDeskDlg* dlg = MainDlg(app);
  if (dlg == nullptr) return nullptr;
  return dynamic_cast<View*>(dlg->Arrangement().Views().Find(name, kPlacementTab));
}

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_DESK_SESSION_SUPPORT_H_
