// cDeskSetup: the Setup button's work. It fills the setup dialog from the client settings,
// runs it, and on OK takes the new values into the settings (moving the passwords when the
// keyring choice changed), logs in with them, and saves them once the login has worked; a
// login that fails is shown in a box and the settings stay unsaved, so a typing error does
// not replace a working set-up on disk.
#ifndef HV_CLIENT_SHELL_SETUP_DESK_SETUP_H_
#define HV_CLIENT_SHELL_SETUP_DESK_SETUP_H_

#include <cstdint>
#include <functional>
#include <utility>

#include "core/status.h"

namespace hv {

class cClock;
class cDeskSettings;
class cToolkit;
class cWindow;

// What the setup works with. The pointed-to objects are not owned and outlive it.
struct cDeskSetupServices {
  cToolkit* toolkit = nullptr;
  const cClock* clock = nullptr;
  cDeskSettings* settings = nullptr;
  std::function<void(int32_t context)> show_help;
  // Whether the desktop has a tray to put the icon in. Optional (then: yes).
  std::function<bool()> tray_available;
  // Logs in again with the current settings: ok, or the failure.
  std::function<Status()> reconnect;
  // Tells the user that the login with the current settings failed, over `parent`.
  std::function<void(cWindow* parent)> connect_failed;
  // The history's settings were changed by the user. Optional.
  std::function<void()> history_settings_changed;
};

class cDeskSetup {
 public:
  explicit cDeskSetup(cDeskSetupServices services) : services_(std::move(services)) {}

  // The dialog, modally over `parent`. The three options of the dialog's first page (and an
  // automatic login turned off) change even when it is cancelled. True when the user
  // pressed OK (whether or not the login then worked).
  bool Run(cWindow* parent);

 private:
  cDeskSetupServices services_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_DESK_SETUP_H_
